#pragma once
// Tests of the program's KSeF operations: a database with the upgraded schema,
// two companies, the certificates stored in the file store as the settings
// dialog leaves them, the KSeF stand-in the client talks to, and a folder per
// test under build/test-output/ksef-ops/ that keeps the files exchanged.
#include "tests/ksef/KsefTestSupport.h"
#include "tests/support/TestDb.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <utility>
#include <vector>

class TData;

class KsefOpsTest : public DbTest
{
protected:
    // Company 1 is the seller the seal was issued to; the stand-in lets the
    // same signer act for company 2.
    static constexpr const char* kNip1 = "9999999999";
    static constexpr const char* kNip2 = "1111111111";
    static constexpr const char* kBuyerNip = "123-456-32-18";
    static constexpr const char* kPassword = "Tajne-Has\u0142o1";

    KsefOpsTest();
    ~KsefOpsTest() override;
    void SetUp() override;
    void TearDown() override;

    // A certificate of the test CA for the NIP, RSA or EC, its key protected by kPassword.
    TTestCert IssueSeal(const QString& name, const QString& nip, const QString& keyType);
    // Stores the pair as the settings dialog does: packed files, their names, the password.
    void StorePair(bool online, const TTestCert& cert);

    // KsefInit and KsefOpenSession for the company, checking the texts they give.
    void OpenClient(int company);

    int AddUser(int clientNumber, int company = 1);
    // An invoice with one line (123,00 zł gross); returns FV_INDEX.
    int AddFv(int company, const QString& number, const QString& issueDate = QStringLiteral("2026-02-15"));
    // A correction of Fv: of its line's quantity, or of the buyer's data only.
    int AddFvk(int fv, const QString& number, bool buyerData);

    // The texts of the messages shown (recorded by the message box's hook).
    QStringList Texts() const;

    QString Text(const QString& sql, const TArgs& args = {}) const;
    int Int(const QString& sql, const TArgs& args = {}) const;
    // The folder of this test's files, with a trailing separator (the export folder).
    const QString& Out() const { return m_out; }

    QTemporaryDir m_tmp;
    std::unique_ptr<TTestPki> m_pki;
    TKsefStub m_stub;
    TTestCert m_online;
    TTestCert m_offline;

private:
    int insert(const QString& table, const std::vector<std::pair<QString, TArg>>& cols);

    std::unique_ptr<TData> m_data;
    QString m_out;
    QString m_savedPrivate;
    QString m_savedExport;
    QString m_savedStart;
    QByteArray m_savedBaseUrl;
    int m_savedRights = 0;
};
