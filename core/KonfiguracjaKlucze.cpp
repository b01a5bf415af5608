#include "core/KonfiguracjaKlucze.h"

#include "core/DbIni.h"
#include "core/ScrambleText.h"
#include "core/Session.h"

namespace {

constexpr TKonfScope G = TKonfScope::Global;
constexpr TKonfScope W = TKonfScope::Workstation;
using C = TKonfControl;
using S = TKonfSpecial;

// The table reads as the dialog does: page, group, caption.
struct TTableBuilder
{
    std::vector<TKonfKey> keys;
    int page = 0;
    QString group;

    TKonfKey& add(TKonfScope scope, const char* key, TKonfType type, QVariant def, const char* caption,
                  C control)
    {
        TKonfKey k;
        k.Key = QString::fromUtf8(key);
        k.Scope = scope;
        k.Type = type;
        k.Default = std::move(def);
        k.Page = page;
        k.Group = group;
        k.Caption = QString::fromUtf8(caption);
        k.Control = control;
        keys.push_back(k);
        return keys.back();
    }
    TKonfKey& check(TKonfScope s, const char* key, bool def, const char* caption)
    {
        return add(s, key, TKonfType::Bool, def, caption, C::Check);
    }
    TKonfKey& spin(TKonfScope s, const char* key, int def, const char* caption, int min, int max,
                   const char* after = "")
    {
        TKonfKey& k = add(s, key, TKonfType::Int, def, caption, C::Spin);
        k.Min = min;
        k.Max = max;
        k.After = QString::fromUtf8(after);
        return k;
    }
    TKonfKey& edit(TKonfScope s, const char* key, const char* def, const char* caption, C control = C::Edit)
    {
        return add(s, key, TKonfType::String, QString::fromUtf8(def), caption, control);
    }
    TKonfKey& radio(TKonfScope s, const char* key, int def, const char* caption, const QStringList& items)
    {
        TKonfKey& k = add(s, key, TKonfType::Int, def, caption, C::Radio);
        k.Items = items;
        return k;
    }
    void in(int p, const char* g = "")
    {
        page = p;
        group = QString::fromUtf8(g);
    }
};

QStringList items(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* s : list)
        out << QString::fromUtf8(s);
    return out;
}

std::vector<TKonfKey> buildTable()
{
    TTableBuilder t;
    const C pwd = C::Password;

    t.in(kPageUstawienia, "Adresy MAC i IP");
    t.check(G, "WeryfikujMACiIP", true, "Weryfikuj IP i MAC");
    t.check(G, "FormatujMAC", true, "Formatuj adresy MAC");
    t.edit(G, "SeparatorMAC", ":", "-> separator", C::Combo).Items = items({":", "-", "."});
    t.radio(G, "LiteryMAC", 0, "wielkość liter", items({"małe", "DUŻE"}));
    t.in(kPageUstawienia, "Okno główne");
    t.check(W, "PokazPoziomeLinieTabel", false, "Pokaż poziome linie na tabelach okna głównego");
    t.spin(G, "Powiadomienia", 7, "Ile dni przed zablokowaniem powiadamiać użytkowników", 0, 365);
    t.spin(G, "Blokady", 14, "Ile dni po terminie zaplaty zaległej płatności uznać za zablokowanego", 0, 365);
    t.check(W, "PowiadomienieTerminarz", true, "Powiadamiaj przy starcie o stanie terminarzy");
    t.check(W, "SprawdzajAktualizacje", true, "Sprawdzaj dostępność aktualizacji");
    t.check(W, "PingBazaInfra", false, "Sprawdzaj lokalnie status ICMP bazy infrastruktury");
    t.check(W, "PodpowiadajKolorami", false, "Podpowiadaj kolorami pola Intruxa i MikroTik'a");
    t.check(W, "StatystykiDolnegoPaska", true, "Pokaż statystyki na dolnym pasku okna głównego");
    t.check(G, "NadrukAutoryzacji", false, "Prezentuj dane autoryzacyjne na wydrukach");
    t.check(G, "DomenyHazardoweIP", false, "Uzupełniaj liste Domen Hazardowych o ich IP");
    t.check(W, "ResetSiatek", false, "Zresetuj ustawienia siatek przy starcie").Special = S::ResetSiatek;
    t.in(kPageUstawienia, "Drukarki");
    t.edit(W, "DrukarkaPapier", "", "Wydruki papierowe", C::Printer);
    t.edit(W, "DrukarkaPDF", "", "Wydruki PDF", C::Printer);
    t.in(kPageUstawienia, "Katalogi");
    t.edit(W, "KatalogEksportow", "", "Katalog z plikami eksportów i wydrukami PDF", C::Folder);
    t.edit(W, "KatalogArch", "", "Katalog archiwizacji", C::Folder);
    t.check(W, "ArchPrzyZamykaniu", false, "Archiwizacja przy zamykaniu programu");
    t.edit(W, "KatalogNaPliki", "", "Katalog przechowywania plików użytkowników", C::Folder).Special =
        S::ArchiveDefault;

    t.in(kPageDokumenty, "Skrócona nazwa firmy (używana na drukach przelewów)");
    t.edit(G, "U_Nazwa1Skr", "", "Linia 1");
    t.edit(G, "U_Nazwa2Skr", "", "Linia 2");
    t.in(kPageDokumenty, "Maska numeru faktury");
    t.edit(G, "MaskaFvPoczatek", "", "Początek");
    t.edit(G, "MaskaFvKoniec", "", "Nr_faktury").Special = S::SuffixMonthYear;
    t.in(kPageDokumenty, "Maska numeru faktury korygującej");
    t.edit(G, "MaskaFvkPoczatek", "", "Początek");
    t.edit(G, "MaskaFvkKoniec", "", "Nr_korekty").Special = S::SuffixMonthYear;
    t.in(kPageDokumenty, "Maska numeru umowy");
    t.edit(G, "MaskaUmowaPoczatek", "", "Początek");
    t.edit(G, "MaskaUmowaKoniec", "", "Nr_umowy").Special = S::SuffixMonthYear;
    t.in(kPageDokumenty, "Dokumenty");
    t.check(G, "NumeracjaMiesieczna", true, "Numeracja miesięczna");
    t.edit(G, "FormaPlatnosci", "przelew", "Forma płatności");
    t.spin(G, "TerminPlatnosci", 14, "Termin", 0, 365, "dni");
    t.check(G, "NieDrukujSalda", false, "Pomiń na wydrukach informacje o stanie salda");
    t.check(W, "AutomatycznyWydrukKP", true, "Automatycznie drukuj KP po dodaniu wpłaty");
    t.check(W, "2xWydrukKP", false, "2 druki KP na jednej stronie");
    t.check(G, "DataJakoMiesiac", false, "Data sprzedaży jako miesiąc daty wystawienia dokumentu");
    t.edit(G, "StandardowyOpisWplaty", "Opłata za internet", "Standardowy opis wpłaty");
    t.check(G, "DrukujZwolnienieVat", false,
            "Drukuj informację o zwolnieniu z VAT na podstawie art. 113 ust. 1 ustawy o VAT");
    t.check(G, "SkrotFirmyWNumeracji", false, "Skrót nazwy firmy w masce nr dok. (dla wielopodmiotowości)");
    t.check(G, "DrukujKodyKreskowe", true, "Drukuj na dokumentach kody kreskowe");
    t.radio(G, "RodzajWydrukuPrzelewu", 1, "Wariant wydruku dokumentów sprzedaży",
            items({"z drukiem przelewu", "bez nadruku", "z lista nierozlliczonych"}))
        .Special = S::RadioPlusOne;
    t.in(kPageDokumenty, "Umowy");
    t.edit(G, "UmowaTytul", "O świadczenie usług dostępu do internetu", "Tytuł nowej umowy");
    t.spin(G, "UmowaOkres", 24, "Czas trwania", 0, 120, "miesięcy");
    t.radio(
        G, "WariantWydrukuUmowy", 0, "Wariant wydruku umowy",
        items({"pełny formularz", "nagłówek i podpisy", "tylko nagłówek", "bez nadruków", "bez podpisów"}));

    t.in(kPageProgramy, "WinBox");
    t.edit(W, "WinboxUser", "", "Login");
    t.edit(W, "WinboxHaslo", "", "Hasło", pwd);
    t.in(kPageProgramy, "Putty");
    t.edit(W, "PuttyUser", "", "Login");
    t.edit(W, "PuttyHaslo", "", "Hasło", pwd);
    t.spin(W, "PuttyPort", 22, "Port", 1, 66535);
    t.in(kPageProgramy, "SmokePing i Cacti");
    t.edit(G, "SmokePingMenu", "Infrastruktura", "Nazwa menu z urządzeniami infrastruktury");
    t.edit(G, "SmokePingMenuUser", "Uzytkownicy", "Nazwa menu z urządzeniami klientów");
    t.edit(G, "SmokePingAdres", "", "Adres strony głównej SmokePing");
    t.edit(G, "CactiAdres", "", "Adres strony głównej Cacti");
    t.in(kPageProgramy, "Dowolny plik");
    t.edit(W, "DowolnyPlikBlob", "", "Plik", C::FileName).Special = S::NotSaved;
    t.in(kPageProgramy, "Vendra4SQL");
    t.check(G, "DodajDoVendraSql", false, "Dodaj automatycznie kwotę wpłaty do kasy");
    t.edit(G, "DodajDoVendraSqlBaza", "VENDRA4SQL", "Baza  Sprzedaży");

    t.in(kPageIntrux);
    t.check(W, "PokazPasekIntrux", false, "Pokaż pasek Intrux");

    t.in(kPageSms, "Bramka SMS");
    t.edit(G, "SMSSubdomena", "", "Subdomena");
    t.edit(G, "SMSDomena", "sms.orlix6ksef.pl", ".");
    t.edit(G, "SMSHaslo", "", "Hasło", pwd);
    t.edit(G, "SMSNadawca", "", "Nadawca").MaxLength = 11;
    t.edit(G, "SMSPodpis", "", "Podpis").MaxLength = 40;
    t.check(G, "SMSOtwarcieZlecenia", false,
            "Wysyłaj wiadomość SMS o otwarciu nowego zlecenia serwisowego dla klienta");
    t.check(G, "SMSOtwarcieZleceniaSerwisant", true,
            "Wysyłaj wiadomość SMS o otwarciu nowego zlecenia serwisowego dla serwisanta");
    t.check(G, "SMSBezPL", true, "Nie używaj polskich znaków w teści wiadomości SMS");

    t.in(kPageDaneFirmy, "Firma");
    t.edit(G, "U_Nazwa1", "", "Nazwa firmy (linia 1)");
    t.edit(G, "U_Nazwa2", "Proszę wpisać swoją nazwę firmy", "Nazwa firmy (linia 2)");
    t.edit(G, "U_Ulica", "", "Ulica");
    t.edit(G, "U_NrDomu", "", "Nr domu");
    t.edit(G, "U_NrLokalu", "", "Nr lokalu");
    t.edit(G, "U_KodPocztowy", "", "Kod pocztowy");
    t.edit(G, "U_Miejscowosc", "", "Miejscowość");
    t.edit(G, "U_Poczta", "", "Poczta");
    t.edit(G, "U_NIP", "", "NIP");
    t.edit(G, "U_REGON", "", "REGON");
    t.edit(G, "U_TelefonEmail", "", "Telefon, adres email");
    t.edit(G, "U_Www", "", "Firmowa strona www");
    t.edit(G, "U_WwwVove", "", "Strona www vOVE");
    t.edit(G, "U_Skrot", "", "Skrót").MaxLength = 3;
    t.in(kPageDaneFirmy, "Bank");
    t.edit(G, "U_NazwaBanku", "", "Nazwa banku");
    t.edit(G, "U_NrKonta", "", "Nr konta bankowego firmy");
    t.edit(G, "U_NazwaBankuSubkonta", "", "Nazwa banku dla subkont (jeśli inna)");
    t.in(kPageDaneFirmy, "Subkonta dla płatności masowych");
    t.edit(G, "U_Sub_NrBanku", "00000000", "Numer rozliczeniowy banku (8 cyfr)").Mask =
        QStringLiteral("\\d{8}");
    t.edit(G, "U_Sub_NrKlienta", "0000", "Numer identyfikujący klienta w banku (4 cyfry)").Mask =
        QStringLiteral("\\d{4}");
    t.edit(G, "U_Sub_Prefix", "0000", "Prefix (nadaje bank lub klient) (0-8 cyfr)").Mask =
        QStringLiteral("\\d{0,8}");
    t.in(kPageDaneFirmy, "JPK");
    t.edit(G, "U_Wojewodztwo", "", "Województwo", C::Combo).Items =
        items({"", "dolnośląskie", "kujawsko-pomorskie", "lubelskie", "lubuskie", "łódzkie", "małopolskie",
               "mazowieckie", "opolskie", "podkarpackie", "podlaskie", "pomorskie", "śląskie",
               "świętokrzyskie", "warmińsko-mazurskie", "wielkopolskie", "zachodniopomorskie"});
    t.edit(G, "U_Powiat", "", "Powiat");
    t.edit(G, "U_Gmina", "", "Gmina");
    t.edit(G, "U_EmailJPK", "", "email dla JPK");
    t.edit(G, "U_KodUS", "0000", "Kod US");
    t.check(G, "OsobaFizycznaJPK", false, "JPK jako Osoba Fizyczna");
    t.edit(G, "DataUrodzeniaJPK", "", "Data urodzenia (dla osoby fizycznej)");
    t.edit(G, "ImieJPK", "", "Imię");
    t.edit(G, "NazwiskoJPK", "", "Nazwisko");

    t.in(kPagePoczta, "Wysyłanie poczty");
    t.radio(G, "RodzajWysylaniaMaili", 0, "Wysyłanie poczty",
            items({"Za pomocą systemowego klienta poczty", "Bezpośrednio z ORLIX'a"}));
    t.in(kPagePoczta, "Serwer SMTP");
    t.edit(G, "PocztaOrlixSerwer", "", "Serwer SMTP");
    t.spin(G, "PocztaOrlixPort", 25, "Port", 1, 66535);
    t.edit(G, "PocztaOrlixUser", "", "Nazwa użytkownika");
    t.edit(G, "PocztaOrlixHaslo", "", "Hasło", pwd);
    t.edit(G, "PocztaOrlixFromNazwa", "", "Nazwa nadawcy");
    t.edit(G, "PocztaOrlixFromAdres", "", "Adres email nadawcy");
    t.edit(G, "PocztaOrlixBCC", "", "Kopia poczty na adres");
    t.check(G, "PocztaOrlixSSL", false, "Ten serwer wymaga bezpiecznego połączenia (SSL)");
    t.in(kPagePoczta, "Wiadomości");
    t.edit(G, "PocztaOrlixWiadomosc", "Wiadomosc od administratora",
           "Tekst standardowej wiadomości do użytkownika");
    t.edit(G, "PocztaOrlixPrefixTematu", "[Admin]",
           "Prefiks tematu wiadomości przy wysyłce maili do klientów");
    t.edit(G, "XMailer", "Orlix4SQL", "X-Mailer");
    t.check(G, "EmailJakoTxt", true, "Wysyłaj  email jako zwykły tekst");
    t.edit(W, "PocztaOrlixPodpis", "", "Podpis", C::Memo);

    t.in(kPageMikrotik, "Ustawienia");
    t.check(W, "PokazPasekMT", false, "Pokaż pasek MikroTik");
    t.add(W, "PokazPasekMTStatusPomin", TKonfType::Int, 0, "Pomiń sprawdzanie statusu", C::Check).Special =
        S::IntCheck;
    t.check(G, "MTSprawdzajKonfiguracje", true, "Sprawdzaj poprawności pliku konfiguracyjnego przed wysyłką");
    t.check(G, "NieOgraniczajPasmaMT", false, "Nie ograniczaj pasma dla blokowanych użytkowników");

    t.in(kPageVove, "Ustawienia konta FTP dla usługi vOVE");
    t.check(G, "vOVE_WyslijFTF", false, "Wysyłaj plik ibokdata.zip na konto FTP");
    t.edit(G, "vOVE_Adres", "", "Adres serwera");
    t.edit(G, "vOVE_Port", "21", "Port");
    t.edit(G, "vOVE_User", "", "Nazwa użytkownika");
    t.edit(G, "vOVE_Haslo", "", "Hasło", pwd);
    t.edit(G, "vOVE_Kat", "", "Katalog zdalny FTP");
    t.in(kPageVove, "Administrator vOVE");
    t.edit(G, "vOVE_HasloAdmin", "", "Hasło:", pwd);
    t.in(kPageVove, "Serwisanci vOVE");
    t.edit(G, "vOVE_Serw1Login", "", "Login:");
    t.edit(G, "vOVE_Serw1Haslo", "", "Hasło:", pwd);
    t.edit(G, "vOVE_Serw2Login", "", "Login:");
    t.edit(G, "vOVE_Serw2Haslo", "", "Hasło:", pwd);
    t.edit(G, "vOVE_Serw3Login", "", "Login:");
    t.edit(G, "vOVE_Serw3Haslo", "", "Hasło:", pwd);
    t.in(kPageVove, "Konfiguracja zARIz");
    t.check(G, "vOVE_DrukujAutoryzacje", false, "Drukuj autoryzację zARIz na fakturach i książeczkach opłat");
    t.check(G, "vOVE_DrukujAutoryzacjeBezHasla", false, "Tylko login bez hasła");
    t.edit(G, "vOVE_AdminEmail", "", "Adres email admina");
    t.edit(G, "vOVE_NazwaFirmy", "VADA-RID", "Prezentowana nazwa firmy");
    t.edit(G, "vOVE_NazwaStrony", "vOVE - Internetowe Biuro Obsługi Klienta", "Nazwa strony w pasku tytułu");
    t.add(G, "vOVE_WlaczLogoNaPodstronach", TKonfType::Bool, false, "Logo na górze każdej podstrony",
          C::Hidden);
    t.spin(G, "vOVE_SzerokoscTabeli", 800, "Szerokość tabeli (pix)", 640, 1600);
    t.spin(G, "vOVE_CzasSesji", 30, "Czas sesji (minuty)", 5, 180);
    t.edit(G, "vOVE_Info1", "", "Aktualności i ogłoszenia", C::Memo);
    t.edit(G, "vOVE_Info2", "", "Informacje (dotyczące płatności)", C::Memo);
    t.check(W, "vOVE_AutomatycznieKsiegujWplatyVove", false,
            "Automatycznie odczytuj i księguj wpłaty z bramek zARIz v5");
    t.in(kPageVove, "Uwagi i dane wrażliwe");
    t.check(G, "vOVE_Notatka1", false, "Wysyłaj pole \"Notatka\" na vOVE jako pole \"Uwagi\"");
    t.check(G, "vOVE_Notatka2", false, "Wysyłaj pole \"Notatka2\" na vOVE jako pole \"Uwagi2\"");
    t.check(G, "vOVE_WysylajInfoadmin", false,
            "Wysyłaj plik infoadmin z danymi wrażliwymi użytkownika (RODO!)");

    t.in(kPageInne, "API dla GPON - Sekcja A");
    t.check(G, "GponAktywujOpcje", false, "Aktywuj opcje API dla GPON");
    t.edit(G, "GponAdresApi", "111.222.333.444:8080/#!/pl/olt/", "Adres serwera API");
    t.edit(G, "GponSekcjaPort", "/port/", "Sekcja portu OLT");
    t.edit(G, "GponSekcjaOnu", "/onu/", "Sekcja ONU");
    t.in(kPageInne, "API dla GPON - Sekcja B");
    t.edit(G, "GponAdresApiB", "555.666.777.888:8080/#!/pl/olt/", "Adres serwera API");
    t.edit(G, "GponSekcjaPortB", "/port/", "Sekcja portu OLT");
    t.edit(G, "GponSekcjaOnuB", "/onu/", "Sekcja ONU");
    t.in(kPageInne, "Monitoring aptest.sh");
    t.edit(G, "AptestLocal2", "192.168.1.1", "IP kontrolne");
    t.edit(G, "AptestEmail1", "", "Adres email 1");
    t.edit(G, "AptestEmail2", "", "Adres email 2");
    t.edit(G, "AptestEmail3", "", "Adres email 3");
    t.edit(G, "AptestGsm1", "", "Numer GSM 1");
    t.edit(G, "AptestGsm2", "", "Numer GSM 2");
    t.edit(G, "AptestGsm3", "", "Numer GSM 3");
    t.spin(G, "AptestCount", 5, "IIość prób ping", 1, 10);
    t.check(G, "AptestParent", false, "Sprawdzaj względem miejsca podłączenia");
    t.check(G, "AptestSmson", false, "Powiadamienie za pomocą SMS");
    t.in(kPageInne, "Parametry połączenia FTP dla  predefiniowanych skryptów MikroTik");
    t.edit(G, "MtLoginDomyslny", "admin", "Login");
    t.edit(G, "MtHasloDomyslne", "", "Hasło", pwd);
    t.edit(G, "MtPortDomyslny", "21", "Port").Mask = QStringLiteral("\\d*");
    t.in(kPageInne, "Zmienne tekstowe");
    for (int i = 1; i <= 7; ++i) {
        const QByteArray key = "ZmiennaTxtOpis" + QByteArray::number(i);
        const QByteArray text = "Opis zmiennej " + QByteArray::number(i);
        t.edit(G, key.constData(), text.constData(), text.constData());
    }
    t.in(kPageInne, "Różne");
    t.check(G, "SzczegoloweLogi", false, "Włącz szczegółowe logi programu");
    TKonfKey& limit = t.edit(G, "LimitKwoty", "0", "Limit kwoty kontraktów");
    limit.Mask = QStringLiteral("\\d*");
    limit.After = QStringLiteral("PLN");

    t.in(kPageKsef, "Certyfikat online");
    t.edit(G, "KSeF_CrtOnline.crt_Nazwa", "", "Certyfikat", C::FileName).Special = S::NotSaved;
    t.edit(G, "KSeF_KeyOnline.key_Nazwa", "", "Klucz", C::FileName).Special = S::NotSaved;
    t.edit(G, "KSeF_HasloOnline", "", "Hasło", pwd).Special = S::Scrambled;
    t.in(kPageKsef, "Certyfikat offline");
    t.edit(G, "KSeF_CrtOffline.crt_Nazwa", "", "Certyfikat", C::FileName).Special = S::NotSaved;
    t.edit(G, "KSeF_KeyOffline.key_Nazwa", "", "Klucz", C::FileName).Special = S::NotSaved;
    t.edit(G, "KSeF_HasloOffline", "", "Hasło", pwd).Special = S::Scrambled;
    t.in(kPageKsef);
    t.radio(G, "KSeF_TypBramki", 2, "Typ bramki KSeF", items({"Produkcyjna", "Demo", "Testowa"}));
    return std::move(t.keys);
}

} // namespace

const std::vector<TKonfKey>& KonfiguracjaKeys()
{
    static const std::vector<TKonfKey> keys = buildTable();
    return keys;
}

const TKonfKey* FindKonfiguracjaKey(const QString& key)
{
    for (const TKonfKey& k : KonfiguracjaKeys())
        if (k.Key == key) return &k;
    return nullptr;
}

int KonfScopeId(TKonfScope scope)
{
    return scope == TKonfScope::Global ? 0 : OperatorId;
}

TKonfValues LoadKonfiguracja()
{
    TKonfValues values;
    for (const TKonfKey& k : KonfiguracjaKeys()) {
        const int scope = KonfScopeId(k.Scope);
        switch (k.Special) {
        case S::ResetSiatek:
            values.insert(k.Key, ReadIniString(scope, k.Key, QString()) == HostId);
            continue;
        case S::Scrambled:
            values.insert(k.Key, UnscrambleText(ReadIniString(scope, k.Key, QString())));
            continue;
        case S::ArchiveDefault:
            values.insert(k.Key, ReadIniString(scope, k.Key, ArchiveFolder));
            continue;
        default:
            break;
        }
        switch (k.Type) {
        case TKonfType::Bool:
            values.insert(k.Key, ReadIniBool(scope, k.Key, k.Default.toBool()));
            break;
        case TKonfType::Int:
            values.insert(k.Key, ReadIniInteger(scope, k.Key, k.Default.toInt()));
            break;
        case TKonfType::String:
            values.insert(k.Key, ReadIniString(scope, k.Key, k.Default.toString()));
            break;
        }
    }
    return values;
}

void SaveKonfiguracja(const TKonfValues& values)
{
    for (const TKonfKey& k : KonfiguracjaKeys()) {
        if (k.Special == S::NotSaved || !values.contains(k.Key)) continue;
        const int scope = KonfScopeId(k.Scope);
        const QVariant v = values.value(k.Key);
        switch (k.Special) {
        case S::ResetSiatek:
            // Unchecking never clears it: the main window clears it after the reset.
            if (v.toBool()) WriteIniString(scope, k.Key, HostId);
            continue;
        case S::Scrambled:
            WriteIniString(scope, k.Key, ScrambleText(v.toString()));
            continue;
        case S::IntCheck:
            WriteIniInteger(scope, k.Key, v.toInt() == 1 ? 1 : 0);
            continue;
        default:
            break;
        }
        switch (k.Type) {
        case TKonfType::Bool:
            WriteIniBool(scope, k.Key, v.toBool());
            break;
        case TKonfType::Int:
            WriteIniInteger(scope, k.Key, v.toInt());
            break;
        case TKonfType::String:
            WriteIniString(scope, k.Key, v.toString());
            break;
        }
    }
}

QString LongColumnTitle(const QString& title)
{
    static const QHash<QString, QString> longer{
        {QStringLiteral("P"), QStringLiteral("P (powiadomienia)")},
        {QStringLiteral("B"), QStringLiteral("B (blokady)")},
        {QStringLiteral("Z(dni)"), QStringLiteral("Z (najstarsza zaległośc - dni)")},
        {QStringLiteral("FV"), QStringLiteral("FV (rodzaj generowanego dokumetu)")},
        {QStringLiteral("Wsp.zal."), QStringLiteral("Wsp.zal. (współczynnik zaległości)")},
        {QStringLiteral("KS"), QStringLiteral("KS (korespondencja seryjna)")}};
    return longer.value(title, title);
}
