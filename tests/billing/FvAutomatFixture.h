#pragma once
// Subscribers billed by the automatic run, with their recurring items, and the
// run's inputs with answers a test chooses.
#include "billing/FvAutomatDane.h"
#include "billing/Przeliczenia.h"
#include "core/DedicatedSession.h"
#include "tests/billing/BillingFixture.h"

#include <QStringList>

class FvAutomatTestBase : public BillingTest
{
protected:
    void SetUp() override
    {
        BillingTest::SetUp();
        AddPodmiot(1, QStringLiteral("FIR"));
        AddPodmiot(2, QStringLiteral("ABC"));
    }

    // A subscriber billed in mode (1 invoice, 2/3 payment demand), active since 2020.
    int Billed(int mode, int podmiot = 1, bool company = false)
    {
        const int u = AddUser(podmiot);
        S()->ExecQuery(
            QStringLiteral("update Userdb set U_AUTOMATYCZNEFAKTURY=:p1, U_DATAAKTYWACJI='2020-01-01', "
                           "U_DATADEAKTYWACJI='0000-00-00', U_CZYFIRMA=:p2, U_ADR_POCZTA='Kraków' where "
                           "U_INDEX=:p3"),
            {mode, company ? 1 : 0, u});
        return u;
    }
    // A recurring (or one-off) item; its values follow the line rule.
    int Item(int user, const QString& name, const char* price, const QString& rate = QStringLiteral("23%"),
             bool oneOff = false, int group = 0, const char* quantity = "1", const char* discount = "0")
    {
        S()->ExecQuery(
            QStringLiteral("insert into UserFvPozycje (UFV_INDEXUSER, UFV_NAZWAUSLUGI, UFV_ILOSC, "
                           "UFV_JEDNMIARY, UFV_CENABRUTTO, UFV_STAWKAVAT_TXT, UFV_RABAT, UFV_DATASTART, "
                           "UFV_DATAEND, UFV_CZYAKTYWNA, UFV_CZYJEDNORAZOWA, UFV_GRUPAUSLUG) values (:p1, "
                           ":p2, :p3, 'szt.', :p4, :p5, :p6, '0000-00-00', '0000-00-00', 1, :p7, :p8)"),
            {user, name, A(quantity), A(price), rate, A(discount), oneOff ? 1 : 0, group});
        const int i = S()->GetQueryValueAsInteger(QStringLiteral("select last_insert_id()"));
        PrzeliczUFV(i);
        return i;
    }

    // Inputs for company FIR on 2025-03-10, every subscriber shown.
    TFvAutomatInput Input(const QDate& issue = QDate(2025, 3, 10)) const
    {
        TFvAutomatInput in;
        in.issueDate = issue;
        in.dueDate = issue.addDays(14);
        in.paymentForm = QStringLiteral("przelew");
        in.podmiot = QStringLiteral("FIR");
        in.addSuffix = false;
        in.userWhere = QStringLiteral(" WHERE U_INDEX > 0 ");
        in.userOrderBy = QStringLiteral(" order by U_INDEX");
        return in;
    }
    // Callbacks answering every question with `yes`, recording the texts.
    TFvAutomatCallbacks Answers(bool yes = true)
    {
        TFvAutomatCallbacks cb;
        cb.ask = [this, yes](const QString& t) {
            questions << t;
            return yes;
        };
        cb.error = [this](const QString& t) { errors << t; };
        return cb;
    }
    int Count(const QString& table) const { return Int(QStringLiteral("select count(*) from ") + table); }

    QStringList questions, errors;
};
