// The device row rule of the shared datasets: bandwidth texts become numbers
// before the row is posted, and a text the numbers cannot be made of stops the post.
#include "core/DataModule.h"
#include "core/DbError.h"
#include "core/Query.h"
#include "tests/network/MikrotikFixture.h"

class NetworkHelpersDeviceRow : public MikrotikDbTest
{
protected:
    // Posts one new Mac row through the device rule; the row's bandwidth text for download by day.
    void post(const QString& dayDownload)
    {
        auto q = S()->OpenLiveQuery(QStringLiteral("select * from Mac where M_INDEX=0"));
        q->BeforePost = [](TQuery& row) { TData::DeviceBeforePost(row, QStringLiteral("M_")); };
        q->Insert();
        q->FieldByName(QStringLiteral("M_IP"))->SetAsString(QStringLiteral("10.0.300.x5"));
        q->FieldByName(QStringLiteral("M_PASMODOWNLOADDZIENTXT"))->SetAsString(dayDownload);
        q->FieldByName(QStringLiteral("M_PASMOUPLOADDZIENTXT"))->SetAsString(QStringLiteral("512k"));
        q->Post();
    }
};

TEST_F(NetworkHelpersDeviceRow, TextsBecomeNumbersAndOctets)
{
    post(QStringLiteral("10M"));
    auto q = S()->OpenQuery(QStringLiteral("select * from Mac"));
    ASSERT_EQ(q->RecordCount(), 1);
    EXPECT_EQ(q->FieldByName(QStringLiteral("M_PASMODOWNLOADDZIEN"))->AsInteger(), 10485760);
    EXPECT_EQ(q->FieldByName(QStringLiteral("M_PASMOUPLOADDZIEN"))->AsInteger(), 524288);
    const int octets[] = {10, 0, 0, 5};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(q->FieldByName(QStringLiteral("M_IP%1").arg(i + 1))->AsInteger(), octets[i]);
}

TEST_F(NetworkHelpersDeviceRow, SuffixWithoutDigitsRefusesTheRowInPolish)
{
    try {
        post(QStringLiteral("k"));
        ADD_FAILURE() << "posted";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("nie jest poprawną liczbą całkowitą")))
            << e.Message().toStdString();
    }
    EXPECT_EQ(S()->GetQueryValueAsInteger(QStringLiteral("select count(*) from Mac")), 0);
}
