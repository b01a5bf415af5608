// The main window's menu bar: every command of the menus and the rights
// checks in front of them.
#include "mainwindow/Glowny.h"

#include "core/DataModule.h"
#include "core/DedicatedSession.h"
#include "core/DialogPL.h"
#include "core/Funkcje2.h"
#include "core/LogiLista.h"
#include "core/OperatorLista.h"
#include "core/OperatorZmienHaslo.h"
#include "core/Operatorzy.h"
#include "core/Query.h"
#include "core/Session.h"
#include "ksef/KsefOperacje.h"
#include "mainwindow/Definicje.h"
#include "mainwindow/Konfiguracja.h"
#include "mainwindow/OProgramie.h"
#include "network/MikrotikKonfig.h"
#include "registers/EwidencjaSprzedazy.h"
#include "registers/UmowyLista.h"
#include "registers/ZleceniaLista.h"
#include "registers/ZlecenieDodaj.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

QAction* TFormGlowny::addCommand(QMenu* menu, const QString& caption, std::function<void()> handler)
{
    QAction* a = menu->addAction(caption);
    const QString plain = QString(caption).remove(QLatin1Char('&'));
    if (!handler) handler = [this, plain] { notAvailable(plain); };
    connect(a, &QAction::triggered, this, [this, handler] { RunGuarded(handler); });
    return a;
}

void TFormGlowny::notAvailable(const QString& caption)
{
    ShowNotAvailable(caption);
}

QAction* TFormGlowny::MenuAction(const QString& path) const
{
    const QStringList parts = path.split(QLatin1Char('/'));
    QList<QAction*> actions = MainMenu1->actions();
    QAction* found = nullptr;
    for (const QString& part : parts) {
        found = nullptr;
        for (QAction* a : actions)
            if (a->text() == part) {
                found = a;
                break;
            }
        if (!found) return nullptr;
        actions = found->menu() ? found->menu()->actions() : QList<QAction*>();
    }
    return found;
}

void TFormGlowny::buildMenus()
{
    auto guarded = [](int level, std::function<void()> f) {
        return [level, f] {
            if (!RightDenied(level)) f();
        };
    };

    QMenu* plik = MainMenu1->addMenu(QStringLiteral("&Plik"));
    QMenu* sql = plik->addMenu(QStringLiteral("Wczytaj i wykonaj plik SQL"));
    addCommand(sql, QStringLiteral("Przez Razedu"));
    addCommand(sql, QStringLiteral("Przez mysql"), [this] { SqlScriptViaClientCommand(); });
    plik->addSeparator();
    addCommand(plik, QStringLiteral("Pokaż logi programu"), guarded(1, [] {
                   if (!FormLogiLista) FormLogiLista = new TFormLogiLista();
                   FormLogiLista->exec();
               }));
    addCommand(plik, QStringLiteral("Pokaż korespondencje"));
    plik->addSeparator();
    addCommand(plik, QStringLiteral("Archiwizacja"), [this] { ArchiveCommand(); });
    addCommand(plik, QStringLiteral("Dearchiwizacja"), [this] { RestoreCommand(); });
    plik->addSeparator();
    addCommand(plik, QStringLiteral("Zakończ"), [this] { close(); });

    QMenu* oper = MainMenu1->addMenu(QStringLiteral("&Operator"));
    addCommand(oper, QStringLiteral("Zmień hasło"), [] {
        static TFormOperatorZmienHaslo* form = nullptr;
        if (!form) form = new TFormOperatorZmienHaslo();
        form->exec();
    });
    addCommand(oper, QStringLiteral("Wyloguj"));
    oper->addSeparator();
    addCommand(oper, QStringLiteral("Lista operatorów"), guarded(1, [] {
                   static TFormOperatorLista* form = nullptr;
                   if (!form) form = new TFormOperatorLista();
                   form->exec();
               }));

    QMenu* users = MainMenu1->addMenu(QStringLiteral("&Baza użytkowników"));
    addCommand(users, QStringLiteral("Dodaj"), [this] { addUser(); });
    addCommand(users, QStringLiteral("Edytuj"), [this] { editUser(); });
    addCommand(users, QStringLiteral("Przeglądaj"), [this] { openUserCard(); });
    addCommand(users, QStringLiteral("Usuń"));
    addCommand(users, QStringLiteral("Zapisz jako duplikat"));
    users->addSeparator();
    addCommand(users, QStringLiteral("Dodaj wpłatę (KP)"), [this] { addPayment(); });
    addCommand(users, QStringLiteral("Wystaw fakturę"), [this] { issueInvoice(true); });
    addCommand(users, QStringLiteral("Wystaw polecenie zapłaty"), [this] { issueDemand(); });
    addCommand(users, QStringLiteral("Otwórz zlecenie serwisowe"),
               [this] { AddZlecenie(CurrentUserIndex()); });
    addCommand(users, QStringLiteral("Pokaż stan terminarza"));
    users->addSeparator();
    QAction* szukaj = addCommand(users, QStringLiteral("Szukaj"), [this] {
        PageControl1->setCurrentIndex(0);
        Edit1->setFocus();
    });
    szukaj->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    users->addSeparator();
    addCommand(users, QStringLiteral("Drukuj listę"));
    addCommand(users, QStringLiteral("Drukuj listę wraz z urządzeniami"));
    addCommand(users, QStringLiteral("Drukuj listę zalegających"));
    addCommand(users, QStringLiteral("Drukuj listę zalegających - rozszerzona"));
    addCommand(users, QStringLiteral("Drukuj listę blokowanych"));
    users->addSeparator();
    addCommand(users, QStringLiteral("Użytkownicy oczekujący"), [this] { SpeedButtonEx9->click(); });

    QMenu* infra = MainMenu1->addMenu(QStringLiteral("B&aza infrastruktury"));
    for (const char* c :
         {"Dodaj", "Edytuj", "Usuń", "Szukaj", "Raport", "Drukuj listę", "Węzły i punkty elastycznosci"})
        addCommand(infra, QString::fromUtf8(c));
    infra->addSeparator();
    // These three have no action of their own.
    for (const char* c : {"Połącz z IP", "Połącz via Putty", "Pokaż wykres SmokePing"})
        infra->addAction(QString::fromUtf8(c));

    QMenu* listy = MainMenu1->addMenu(QStringLiteral("Listy"));
    addCommand(listy, QStringLiteral("Faktury - lista"), [this] { SpeedButtonListaFaktur->click(); });
    addCommand(listy, QStringLiteral("Korekty - lista"),
               [this] { openList(QStringLiteral("Korekty - lista"), 3, ListOpeners.fvKorektaLista); });
    addCommand(listy, QStringLiteral("Polecenia zapłaty - lista"), [this] { SpeedButtonListaPz->click(); });
    addCommand(listy, QStringLiteral("Opłaty (KP) - lista"), [this] { SpeedButtonListaWplat->click(); });
    addCommand(listy, QStringLiteral("Umowy - lista"), ShowUmowyLista);
    addCommand(listy, QStringLiteral("Urządzenia - lista"));
    addCommand(listy, QStringLiteral("Zlecenia serwisowe - lista"), ShowZleceniaLista);
    for (const char* c : {"Noty odsetkowe - lista", "Opłaty vOVE - lista"})
        addCommand(listy, QString::fromUtf8(c));
    addCommand(listy, QStringLiteral("Pobrane z KSeF - lista"), [this] {
        OpenKsefReceived ? OpenKsefReceived() : notAvailable(QStringLiteral("Pobrane z KSeF - lista"));
    });

    QMenu* tools = MainMenu1->addMenu(QStringLiteral("&Narzędzia"));
    addCommand(tools, QStringLiteral("Statystyki"));
    addCommand(tools, QStringLiteral("Automatyczne generowanie faktur"),
               [this] { SpeedButtonEx20->click(); });
    addCommand(tools, QStringLiteral("Automatyczne generowanie not odsetkowych"));
    addCommand(tools, QStringLiteral("Płatności masowe"), [this] { SpeedButtonPm->click(); });
    QMenu* bulk = tools->addMenu(QStringLiteral("Operacje masowe"));
    for (const char* c :
         {"Drukuj i wyślij dokumenty z wybranego okresu", "Drukuj książeczki opłat",
          "Drukuj pismo do użytkowników", "Eksport do książki adresowej Envelo", "Edytuj bazę użytkowników",
          "Formatowanie adresów MAC", "Usuń nieaktywne pozycje jednorazowe z szablonów użytkowników"})
        addCommand(bulk, QString::fromUtf8(c));
    QMenu* imp = bulk->addMenu(QStringLiteral("Zaimportuj z pliku pozycje do szablonu użytkowników"));
    addCommand(imp, QStringLiteral("Z pliku RAW (Orlix4SQL)"));
    addCommand(imp, QStringLiteral("Z pliku CSV (SGT SA - JAMBOX)"));
    tools->addSeparator();
    addCommand(tools, QStringLiteral("KSeF - Wysyłka wsadowa i pobieranie dok."), [this] {
        OpenKsef ? OpenKsef() : notAvailable(QStringLiteral("KSeF - Wysyłka wsadowa i pobieranie dok."));
    });
    addCommand(tools, QStringLiteral("vOVE"));
    addCommand(tools, QStringLiteral("vOVE v5"));
    addCommand(tools, QStringLiteral("Ewidencja sprzedaży"), [] { TFormEwidencjaSprzedazy::ShowWindow(); });
    addCommand(tools, QStringLiteral("Kopia elektroniczna (EJ)"), [this] {
        OpenElectronicCopyCheck ? OpenElectronicCopyCheck()
                                : notAvailable(QStringLiteral("Kopia elektroniczna (EJ)"));
    });
    addCommand(tools, QStringLiteral("Raport SIIS / SIDUSIS"));
    addCommand(tools, QStringLiteral("Wielopodmiotowość"));
    tools->addSeparator();
    addCommand(tools, QStringLiteral("Wyślij emaile"));
    addCommand(tools, QStringLiteral("Wyślij SMSy"));
    addCommand(tools, QStringLiteral("Wyślij SMS - dowolny adresat"));
    tools->addSeparator();
    QAction* odswiez = addCommand(tools, QStringLiteral("Odśwież bazy"), [this] { SpeedButtonEx1->click(); });
    odswiez->setShortcut(QKeySequence(Qt::Key_F5));

    QMenu* opcje = MainMenu1->addMenu(QStringLiteral("&Opcje"));
    addCommand(opcje, QStringLiteral("Definicje i szablony"), [] { ShowDefinicje(0); });
    addCommand(opcje, QStringLiteral("Konfiguracja"), [this] { OpenSettings(); });
    QMenu* pomoc = opcje->addMenu(QStringLiteral("Funkcje pomocnicze"));
    QMenu* tech = pomoc->addMenu(QStringLiteral("Techniczne"));
    addCommand(tech, QStringLiteral("Optymalizuj tabele /mysql/proc"));
    addCommand(tech, QStringLiteral("Odbuduj przy starcie widoki i wyzwalacze (triggery)"));
    addCommand(tech, QStringLiteral("Zakończ transakcję"), [] {
        if (GlobalSession()->InTransaction()) GlobalSession()->Rollback();
    });
    addCommand(tech, QStringLiteral("Odśwież okno główne"), [] {
        if (!Data || !Data->QUserdb) return;
        Data->QUserdb->Close();
        Data->QUserdb->Open();
    });
    addCommand(tech, QStringLiteral("Import baz z Orlix3"));
    addCommand(tech, QStringLiteral("Wyczyść tabelę PingInfra"));
    addCommand(tech, QStringLiteral("Sprawdź indexowanie tabel w bazie"));
    addCommand(tech, QStringLiteral("Aktywuj pokazywanie lokalizacji sieciowych"));
    addCommand(tech, QStringLiteral("Wyczyść testowe dane KSeF"), [] {
        if (KsefClearTestData())
            TMD::MessageDlg(QStringLiteral("Czyszczenie testowych wpisów KSeF zakończone"), mtInformation,
                            mbOK);
        else
            TMD::MessageDlg(QStringLiteral("Błąd czyszczenia testowych wpisów KSeF"), mtError, mbOK);
    });
    QMenu* bilans = pomoc->addMenu(QStringLiteral("Bilans otwarcia"));
    addCommand(bilans, QStringLiteral("Eksport sald klientów do pliku"));
    addCommand(bilans, QStringLiteral("Import sald klientów z pliku"));
    addCommand(bilans, QStringLiteral("Zerowanie salda klientów"));
    QMenu* zap = pomoc->addMenu(QStringLiteral("Zapytania SQL"));
    addCommand(zap, QStringLiteral("Oznacz jako \"firma\" klientów z wpisanym NIP"));
    addCommand(zap, QStringLiteral("Dodaj oznaczenie GTU \"EE\" na fakturach dla klientów detalicznych"));
    pomoc->addSeparator();
    for (const char* c :
         {"Przelicz saldo bazy", "Przelicz rozksięgowanie wpłat", "Ustaw wyzwalacze", "Uruchom PingInfra",
          "Sprawdź duplikaty numeracji dokumentów", "Przeglądaj historię własności adresu IP",
          "Sprawdż poprawność numerów NIP", "Zamknięcie okresu dla dokumemtów"})
        addCommand(pomoc, QString::fromUtf8(c));
    addCommand(opcje, QStringLiteral("Baza TERYT / PA"));
    QMenu* teryt = opcje->addMenu(QStringLiteral("TERYT"));
    for (const char* c : {"Import/uaktualnienie tabel bazy TERYT", "Usunięcie tabel TERYT z bazy",
                          "Import/uaktualnienie tabel bazy PA"})
        addCommand(teryt, QString::fromUtf8(c));
    teryt->addAction(QStringLiteral("Usunięcie tabel PA z bazy"));
    QMenu* eksp = opcje->addMenu(QStringLiteral("Eksport dokumentów sprzedaży (biuro rachunkowe)"));
    addCommand(eksp, QStringLiteral("Pliki wymiany danych"));
    addCommand(eksp, QStringLiteral("Ewidencje i JPK"));
    addCommand(opcje, QStringLiteral("Eksport/import bazy użytkowników z pliku"));
    addCommand(opcje, QStringLiteral("Budowanie skryptów"));
    opcje->addSeparator();
    for (const char* c : {"Plik konfiguracyjny SmokePing", "Plik adresowy dla GoogleMaps",
                          "Plik kontaktów dla GoogleContacts", "Plik z urządzeniami dla Cacti"})
        addCommand(opcje, QString::fromUtf8(c));
    addCommand(opcje, QStringLiteral("Uaktualnij listę domen hazardowych"), [this] { Uaktualnij(); });
    opcje->addSeparator();
    addCommand(opcje, QStringLiteral("INTRUX - wyślij konfigurację"));
    addCommand(opcje, QStringLiteral("MikroTik - wyślij konfigurację"), [] { MikrotikSendCommand(false); });
    addCommand(opcje, QStringLiteral("MikroTik - wyślij pełną konfigurację"),
               [] { MikrotikSendCommand(true); });
    addCommand(opcje, QStringLiteral("Skrypty - wyślij konfigurację"));

    QMenu* help = MainMenu1->addMenu(QStringLiteral("Po&moc"));
    addCommand(help, QStringLiteral("O programie"), [] { ShowOProgramie(); });
    for (const char* c :
         {"Strona WWW - ORLIX", "Strona WWW - INTRUX", "Strona WWW - MikroTik", "FAQ", "Forum", "Changelog",
          "Filmy instruktażowe na YT", "Sprawdź dostępność aktualizacji", "Wyślij diagnostykę"})
        addCommand(help, QString::fromUtf8(c));
}

void TFormGlowny::OpenSettings()
{
    WaitProcessingMessages(20);
    // After a save the grid shows what the new settings count.
    if (ShowKonfiguracja(0)) RefreshUsers();
}
