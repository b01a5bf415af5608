// The shared datasets of the data module: their names, SQL and live flags,
// created closed with their masters set. Their handlers are in
// DataModuleHandlers.cpp, their calculated fields in DataModuleCalcFields.cpp.
#include "core/DataModule.h"
#include "core/Query.h"

namespace {

using Member = std::unique_ptr<TQuery> TData::*;

struct DatasetDef
{
    const char* name;
    Member member;
    const char* sql;
    bool live;
};

// The datasets as the module defines them: name, SQL text, live flag.
const DatasetDef kDatasets[] = {
    {"QUserdb", &TData::QUserdb,
     "SELECT (@i=@i + 1)  as RowCount, vUserdb2.* FROM (select @i= 0) Trc, vUserdb2  where 1=2", false},
    {"QMac", &TData::QMac, "select * from Mac where M_INDEXUSER=:U_INDEX order by M_IP1, M_IP2, M_IP3, M_IP4",
     true},
    {"QInfra", &TData::QInfra,
     "select vInfrastruktura.* , PingInfra.* from vInfrastruktura left join PingInfra on "
     "PI_INDEXINFRA=INF_INDEX "
     "where 1=2    ",
     false},
    {"QInfraLookup", &TData::QInfraLookup,
     "select INF_INDEX, INF_NAZWA, INF_IP , INF_CZYUZYWACWINBOX, INF_PORT from Infrastruktura  order by "
     "INF_NAZWA",
     false},
    {"QInfraNotatki", &TData::QInfraNotatki,
     "select * from InfraNotatki where IN_INDEXINFRA=:INF_INDEX order by IN_DATADODANIA desc, IN_INDEX desc",
     false},
    {"QZlecenia", &TData::QZlecenia,
     "select ZleceniaSerwisowe.*, concat_ws(' ', Op1.OP_NAZWISKO,  Op1.OP_IMIE) as OP_Nazwa, concat_ws(' ', "
     "Op2.OP_NAZWISKO,  Op2.OP_IMIE) as OP_NazwaPrzyjmujacego, if(ZS_DATAZAKONCZENIA='0000-00-00', "
     "datediff(CURDATE(), ZS_DATAREJESTRACJI)/1, datediff(ZS_DATAZAKONCZENIA, ZS_DATAREJESTRACJI)/1) as "
     "ZS_CzasTrwania, substring(ZS_ZAKRES, 1, 150) as ZS_ZakresTabelka, Op1.OP_TELEFON from "
     "ZleceniaSerwisowe left "
     "join Operator as Op1 on Op1.OP_INDEX=ZS_WYKONAL left join Operator as Op2 on Op2.OP_INDEX=ZS_PRZYJAL "
     "where "
     "ZS_INDEXUSER=:U_INDEX order by ZS_DATAREJESTRACJI DESC  ",
     false},
    {"QUserFvPozycje", &TData::QUserFvPozycje,
     "select * from UserFvPozycje where UFV_INDEXUSER=:U_INDEX order by UFV_NAZWAUSLUGI, UFV_DATASTART, "
     "UFV_DATAEND",
     true},
    {"QUmowy", &TData::QUmowy,
     "select vUmowyLista.*, Szablony.SZ_NAZWA from vUmowyLista left join Szablony on "
     "SZ_INDEX=UM_INDEXSZABLON where "
     "UM_INDEXUSER=:U_INDEX order by UM_DATASTART DESC, UM_INDEX DESC",
     false},
    {"QFv", &TData::QFv,
     "select * from Fv where FV_INDEXUSER=:U_INDEX order by FV_DATAWYSTAWIENIA desc, FV_NUMER desc", true},
    {"QFvPozycje", &TData::QFvPozycje,
     "select * from FvPozycje where FVP_INDEXFAKTURA=:FV_INDEX order by FVP_NAZWAUSLUGI", true},
    {"QFvk", &TData::QFvk,
     "select * from Fvk where FVK_INDEXUSER=:U_INDEX order by FVK_DATAWYSTAWIENIA desc, FVK_NUMER desc",
     true},
    {"QFvkPozycje", &TData::QFvkPozycje,
     "select * from FvkPozycje where FVKP_INDEXFAKTURA=:FVK_INDEX order by FVKP_NAZWAUSLUGI", true},
    {"QPz", &TData::QPz,
     "select * from Pz where PZ_INDEXUSER=:U_INDEX order by PZ_DATAWYSTAWIENIA desc, PZ_NUMER desc", true},
    {"QPzPozycje", &TData::QPzPozycje,
     "select * from PzPozycje where PZP_INDEXPZ=:PZ_INDEX order by PZP_NAZWAUSLUGI", true},
    {"QOplaty", &TData::QOplaty,
     "select Oplaty.*, OP_LOGIN from Oplaty left join Operator on OP_INDEX=O_OPERATORID where "
     "O_INDEXUSER=:U_INDEX "
     "order by O_DATAWPLATY DESC, O_NUMER DESC, O_INDEX DESC",
     false},
    {"QOplatyRozliczenia", &TData::QOplatyRozliczenia, "select * from OplatyRozliczenia", true},
    {"QPm", &TData::QPm, "select * from PlatnosciMasowe  where PM_INDEXUSER=:U_INDEX order by PM_INDEX DESC",
     true},
    {"QOperator", &TData::QOperator, "select * from Operator order by OP_LOGIN", true},
    {"QOperatorLookup", &TData::QOperatorLookup,
     "select OP_INDEX, OP_LOGIN, OP_NAZWISKO, OP_IMIE from Operator", false},
    {"QGrupy", &TData::QGrupy, "select * from Grupy order by GR_NAZWA", true},
    {"QGrupyInf", &TData::QGrupyInf, "select * from GrupyInf order by GRI_NAZWA", true},
    {"QFormyPlatnosci", &TData::QFormyPlatnosci, "select * from FormyPlatnosci order by FP_NAZWA", true},
    {"QTypLacza", &TData::QTypLacza, "select * from TypLacza order by TL_NAZWA", true},
    {"QTypUrzadzenia", &TData::QTypUrzadzenia, "select * from TypUrzadzenia order by TU_NAZWA", true},
    {"QRodzajUrzadzenia", &TData::QRodzajUrzadzenia, "select * from RodzajUrzadzenia order by RU_NAZWA",
     true},
    {"QAutoryzacja", &TData::QAutoryzacja, "select * from Autoryzacja order by AUT_NAZWA", true},
    {"QProfil", &TData::QProfil, "select * from Profil order by PROFIL_NAZWA", true},
    {"QInterface", &TData::QInterface, "select * from Interface order by INTERFACE_NAZWA", true},
    {"QWan", &TData::QWan, "select * from Wan order by WAN_NAZWA", true},
    {"QTaryfy", &TData::QTaryfy, "select * from Taryfy order by TAR_NAZWA", true},
    {"QListaSieci", &TData::QListaSieci, "select * from ListaSieci order by SIEC_NAZWA", true},
    {"QUslugi", &TData::QUslugi, "select * from Uslugi order by USL_NAZWAUSLUGI", true},
    {"QSzablony", &TData::QSzablony, "select * from Szablony order by SZ_RODZAJ, SZ_NAZWA", true},
    {"QMultiszablon", &TData::QMultiszablon, "select * from Multiszablon order by MS_NAZWA", true},
    {"QMultiszablonPozycje", &TData::QMultiszablonPozycje,
     "select * from MultiszablonPozycje where MSP_INDEXSZABLONU=:MS_INDEX order by MSP_INDEX", true},
    {"QMTRouter", &TData::QMTRouter, "select * from MTRouter order by MIKROTIK_NAZWA", true},
    {"QIntruxRouter", &TData::QIntruxRouter, "select * from IntruxRouter order by INTRUX_NAZWA", true},
    {"QWezly", &TData::QWezly,
     "select * from vWezly where  W_TYPREKORDU='PE'  or W_TYPREKORDU='WWP'  or W_TYPREKORDU='PO'  order by "
     "W_IDENTYFIKATOR",
     true},
    {"QGrupyInterfejsow", &TData::QGrupyInterfejsow,
     "select * from GrupyInterfejsow where GIF_INDEXWEZLA=:W_INDEX order by GIF_IDENTYFIKATOR", true},
    {"QGrupyInterfejsowLookup", &TData::QGrupyInterfejsowLookup,
     "select GIF_INDEX, GIF_IDENTYFIKATOR from GrupyInterfejsow order by GIF_IDENTYFIKATOR", true},
    {"QSkrypty", &TData::QSkrypty, "select * from Skrypty where SKR_CZYAKTYWNY=1 order by SKR_NAZWASZABLONU",
     true},
    {"QPodmioty", &TData::QPodmioty, "select * from vPodmioty order by P_SKROT", true},
    {"QMagazynBlob", &TData::QMagazynBlob, "select * from MagazynBlob where 1=2 order by MB_NAZWA", true},
    {"QMagazynBlob2", &TData::QMagazynBlob2, "select * from MagazynBlob2 where 1=2", true},
};
static_assert(std::size(kDatasets) == 44);

} // namespace

std::vector<TQuery*> TData::Datasets() const
{
    std::vector<TQuery*> out;
    out.reserve(std::size(kDatasets));
    for (const DatasetDef& d : kDatasets)
        out.push_back((this->*d.member).get());
    return out;
}

TQuery* TData::DatasetByName(const QString& name) const
{
    for (const DatasetDef& d : kDatasets)
        if (name == QLatin1String(d.name)) return (this->*d.member).get();
    return nullptr;
}

void TData::createDatasets()
{
    for (const DatasetDef& d : kDatasets) {
        auto q = std::make_unique<TQuery>();
        q->setObjectName(QLatin1String(d.name));
        q->SetSQL(QString::fromUtf8(d.sql));
        q->RequestLive = d.live;
        // A parameter nobody set reads as NULL: a per-subscriber list without
        // its subscriber is empty, not an error.
        for (TParam& p : q->Params())
            p.Assign(TArg());
        this->*d.member = std::move(q);
    }
    QFvPozycje->SetMasterSource(QFv.get());
    QFvkPozycje->SetMasterSource(QFvk.get());
    QPzPozycje->SetMasterSource(QPz.get());
    QMultiszablonPozycje->SetMasterSource(QMultiszablon.get());
    QGrupyInterfejsow->SetMasterSource(QWezly.get());
}

void TData::destroyDatasets()
{
    for (auto it = std::rbegin(kDatasets); it != std::rend(kDatasets); ++it) {
        std::unique_ptr<TQuery>& q = this->*it->member;
        if (q) q->SetMasterSource(nullptr);
        q.reset();
    }
}
