#include "core/QueryModel.h"
#include "core/DedicatedSession.h"
#include "core/Query.h"
#include "tests/support/TestDb.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <set>

class QueryModelTest : public DbTest
{
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        S()->ExecQuery(
            QStringLiteral("CREATE TABLE GR (GR_INDEX int NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                           "GR_NAZWA varchar(50) NOT NULL, GR_KWOTA decimal(16,2) NOT NULL DEFAULT 0, "
                           "GR_UWAGI varchar(50) NULL) ENGINE=InnoDB"));
        S()->ExecQuery(QStringLiteral("insert into GR (GR_NAZWA, GR_KWOTA) values "
                                      "('alfa', 12.50), ('beta', -3), ('gamma', 1234.56)"));
        q.RequestLive = true;
        q.SetSQL(QStringLiteral("select GR_INDEX, GR_NAZWA, GR_KWOTA, GR_UWAGI from GR order by GR_INDEX"));
        q.Open();
    }

    QString cell(const QAbstractItemModel& m, int row, int column, int role = Qt::DisplayRole)
    {
        return m.data(m.index(row, column), role).toString();
    }
    QStringList captions(const QAbstractItemModel& m)
    {
        QStringList out;
        for (int c = 0; c < m.columnCount(); ++c)
            out << m.headerData(c, Qt::Horizontal).toString();
        return out;
    }
    void show(QTableView& view)
    {
        view.resize(420, 240);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    void click(QTableView& view, int row)
    {
        const QRect r = view.visualRect(view.model()->index(row, 1));
        ASSERT_TRUE(r.isValid()) << "row " << row << " is not on the screen";
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, r.center());
    }

    TQuery q;
};

TEST_F(QueryModelTest, CellsAreTheDatasetsTextsAndReadingThemLeavesTheCursor)
{
    TQueryModel m(&q);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    q.SetRecNo(2);
    ASSERT_EQ(m.rowCount(), 3);
    ASSERT_EQ(m.columnCount(), 4);
    EXPECT_EQ(captions(m), (QStringList{"GR_INDEX", "GR_NAZWA", "GR_KWOTA", "GR_UWAGI"}));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(cell(m, r, c), q.CellText(r, c)) << r << "," << c;
    EXPECT_EQ(cell(m, 0, 1), QStringLiteral("alfa"));
    EXPECT_EQ(cell(m, 0, 2), QStringLiteral("12,5"));
    EXPECT_EQ(cell(m, 2, 2), QStringLiteral("1234,56"));
    EXPECT_EQ(cell(m, 1, 3), QString()); // NULL
    EXPECT_EQ(q.RecNo(), 2);
    // Numbers to the right, texts to the left.
    auto align = [&](int c) {
        return m.data(m.index(0, c), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(align(0), Qt::AlignRight);
    EXPECT_EQ(align(1), Qt::AlignLeft);
    EXPECT_EQ(align(2), Qt::AlignRight);
    EXPECT_FALSE(m.index(0, 0).flags() & Qt::ItemIsEditable);
}

TEST_F(QueryModelTest, ChosenColumnsHaveCaptionsAlignmentsAndMayLackTheirField)
{
    TQueryModel m(&q);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    m.SetColumns(
        {{"GR_KWOTA", "Kwota", {}}, {"gr_nazwa", "Nazwa", Qt::AlignHCenter}, {"GR_BRAK", "Brak", {}}});
    ASSERT_EQ(m.columnCount(), 3);
    EXPECT_EQ(captions(m), (QStringList{"Kwota", "Nazwa", "Brak"}));
    EXPECT_EQ(cell(m, 1, 0), QStringLiteral("-3"));
    EXPECT_EQ(cell(m, 1, 1), QStringLiteral("beta"));
    EXPECT_FALSE(m.data(m.index(1, 2)).isValid());
    EXPECT_EQ(m.FieldIndex(2), -1);
    EXPECT_EQ(m.ColumnOfField(QStringLiteral("GR_NAZWA")), 1);
    EXPECT_EQ(m.data(m.index(0, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    m.SetColumnAlignment(0, Qt::AlignLeft);
    EXPECT_EQ(m.data(m.index(0, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

TEST_F(QueryModelTest, FormatterDecidesWhatItAnswersAndLeavesTheRest)
{
    TQueryModel m(&q);
    m.SetColumns({{"GR_NAZWA", "Nazwa", {}}, {"GR_KWOTA", "Kwota", {}}, {"", "Znak", {}}});
    m.SetFormatter([](const TQuery& ds, int row, int field, int role) -> QVariant {
        if (field < 0 && role == Qt::DisplayRole) return ds.CellText(row, 1).left(1).toUpper();
        if (field == 2 && role == Qt::DisplayRole) return ds.CellText(row, field) + QStringLiteral(" zł");
        if (field == 2 && role == Qt::ForegroundRole && ds.Fields(field)->DataType == ftBCD &&
            ds.CellText(row, field).startsWith(QLatin1Char('-')))
            return QColor(Qt::red);
        return QVariant();
    });
    EXPECT_EQ(cell(m, 0, 0), QStringLiteral("alfa"));
    EXPECT_EQ(cell(m, 0, 1), QStringLiteral("12,5 zł"));
    EXPECT_EQ(cell(m, 2, 2), QStringLiteral("G"));
    EXPECT_EQ(m.data(m.index(1, 1), Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    EXPECT_FALSE(m.data(m.index(0, 1), Qt::ForegroundRole).isValid());
    // The model's own alignment still answers where the formatter is silent.
    EXPECT_EQ(m.data(m.index(0, 1), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
}

TEST_F(QueryModelTest, ReopenResetsTheModelAndFindsTheFieldsAgain)
{
    TQueryModel chosen(&q);
    TQueryModel all(&q);
    QAbstractItemModelTester t1(&chosen, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester t2(&all, QAbstractItemModelTester::FailureReportingMode::Fatal);
    chosen.SetColumns({{"GR_NAZWA", "Nazwa", {}}});
    QSignalSpy resets(&chosen, &QAbstractItemModel::modelReset);

    q.Close();
    EXPECT_EQ(chosen.rowCount(), 0);
    EXPECT_EQ(all.columnCount(), 0);
    EXPECT_EQ(chosen.columnCount(), 1); // a window's columns outlive the reopen

    // Same grid, another statement: the name moved from the second field to the last.
    q.SetSQL(
        QStringLiteral("select GR_KWOTA, GR_INDEX, GR_NAZWA from GR where GR_INDEX > 1 order by GR_INDEX"));
    q.Open();
    EXPECT_GE(resets.count(), 2);
    ASSERT_EQ(chosen.rowCount(), 2);
    EXPECT_EQ(cell(chosen, 0, 0), QStringLiteral("beta"));
    EXPECT_EQ(chosen.FieldIndex(0), 2);
    EXPECT_EQ(captions(all), (QStringList{"GR_KWOTA", "GR_INDEX", "GR_NAZWA"}));
    EXPECT_EQ(cell(all, 1, 2), QStringLiteral("gamma"));
    EXPECT_EQ(all.data(all.index(0, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(all.data(all.index(0, 2), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);

    RefreshQuery(&q, QStringLiteral("GR_INDEX"));
    EXPECT_EQ(chosen.rowCount(), 2);
}

TEST_F(QueryModelTest, PostedEditChangesTheCell)
{
    TQueryModel m(&q);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy changed(&m, &QAbstractItemModel::dataChanged);
    q.SetRecNo(2);
    q.Edit();
    q.FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("beta 2"));
    q.Post();
    ASSERT_EQ(changed.count(), 1);
    const QModelIndex from = changed[0][0].toModelIndex();
    const QModelIndex to = changed[0][1].toModelIndex();
    EXPECT_EQ(from.row(), 1);
    EXPECT_EQ(to.row(), 1);
    EXPECT_LE(from.column(), 1);
    EXPECT_GE(to.column(), 1);
    EXPECT_EQ(cell(m, 1, 1), QStringLiteral("beta 2"));
}

TEST_F(QueryModelTest, InsertAndDeleteChangeTheRowsInPlace)
{
    TQueryModel m(&q);
    QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&m, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&m, &QAbstractItemModel::rowsRemoved);
    QSignalSpy resets(&m, &QAbstractItemModel::modelReset);

    q.SetRecNo(2);
    q.Insert();
    q.FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("nowa"));
    q.Post();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(m.rowCount(), 4);
    EXPECT_EQ(cell(m, 1, 1), QStringLiteral("nowa"));
    EXPECT_EQ(cell(m, 2, 1), QStringLiteral("beta"));

    q.Append();
    q.FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("ostatnia"));
    q.Post();
    EXPECT_EQ(m.rowCount(), 5);
    EXPECT_EQ(cell(m, 4, 1), QStringLiteral("ostatnia"));

    q.SetRecNo(1);
    q.Delete();
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 0);
    EXPECT_EQ(m.rowCount(), 4);
    EXPECT_EQ(cell(m, 0, 1), QStringLiteral("nowa"));
    EXPECT_EQ(resets.count(), 0);
}

TEST_F(QueryModelTest, ViewAndCursorFollowEachOther)
{
    TQueryModel m(&q);
    QTableView view;
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    m.BindToView(&view);
    show(view);
    int scrolls = 0;
    q.AfterScroll = [&](TQuery&) { ++scrolls; };
    EXPECT_EQ(view.currentIndex().row(), 0);

    click(view, 2);
    EXPECT_EQ(q.RecNo(), 3);
    EXPECT_EQ(scrolls, 1); // one move, no echo
    EXPECT_EQ(view.currentIndex().row(), 2);

    q.SetRecNo(2);
    EXPECT_EQ(view.currentIndex().row(), 1);
    EXPECT_EQ(view.currentIndex().column(), 1); // the view keeps its column
    EXPECT_EQ(scrolls, 2);
    EXPECT_TRUE(view.selectionModel()->isRowSelected(1, QModelIndex()));

    QTest::keyClick(view.viewport(), Qt::Key_Down);
    EXPECT_EQ(q.RecNo(), 3);
    q.First();
    EXPECT_EQ(view.currentIndex().row(), 0);

    // A refresh comes back on the same record, and so does the view.
    q.SetRecNo(3);
    RefreshQuery(&q, QStringLiteral("GR_INDEX"));
    EXPECT_EQ(view.currentIndex().row(), 2);

    // Rows removed under the view move the view with the dataset, not the other way.
    q.SetRecNo(2);
    QSignalSpy moves(&q, &TQuery::CurrentChanged);
    q.Delete();
    ASSERT_EQ(moves.count(), 1);
    EXPECT_EQ(moves[0][0].toInt(), 1);
    EXPECT_EQ(q.RecNo(), 2);
    EXPECT_EQ(q.FieldByName(QStringLiteral("GR_NAZWA"))->AsString(), QStringLiteral("gamma"));
    EXPECT_EQ(view.currentIndex().row(), 1);

    q.Close();
    EXPECT_FALSE(view.currentIndex().isValid());
}

TEST_F(QueryModelTest, MovingTheViewPostsAPendingEditOrStaysWhenItIsRefused)
{
    S()->ExecQuery(QStringLiteral("CREATE TRIGGER GR_refuse BEFORE UPDATE ON GR FOR EACH ROW "
                                  "IF NEW.GR_NAZWA = 'zla' THEN SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = "
                                  "'refused'; END IF"));
    TQueryModel m(&q);
    QTableView view;
    TViewLink* link = m.BindToView(&view);
    QStringList errors;
    link->OnError = [&](const EDatabaseError& e) { errors << e.Message(); };
    show(view);

    q.Edit();
    q.FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("alfa 2"));
    click(view, 1);
    EXPECT_EQ(q.State(), dsBrowse);
    EXPECT_EQ(q.RecNo(), 2);
    EXPECT_EQ(S()->GetQueryValueAsString(QStringLiteral("select GR_NAZWA from GR where GR_INDEX=1")),
              QStringLiteral("alfa 2"));
    EXPECT_TRUE(errors.isEmpty());

    // A pending insert above the clicked row pushes it down; the click still means that record.
    q.First();
    q.Insert();
    q.FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("nowa"));
    click(view, 2);
    EXPECT_EQ(q.State(), dsBrowse);
    EXPECT_EQ(q.RecordCount(), 4);
    EXPECT_EQ(q.FieldByName(QStringLiteral("GR_NAZWA"))->AsString(), QStringLiteral("gamma"));
    EXPECT_EQ(view.currentIndex().row(), 3);
    EXPECT_EQ(q.RecNo(), 4);

    q.SetRecNo(2);
    q.Edit();
    q.FieldByName(QStringLiteral("GR_NAZWA"))->SetAsString(QStringLiteral("zla"));
    click(view, 2);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("refused")));
    // The dataset stays on its record, still editing, and the view goes back to it.
    EXPECT_EQ(q.State(), dsEdit);
    EXPECT_EQ(q.RecNo(), 2);
    EXPECT_EQ(view.currentIndex().row(), 1);
    q.Cancel();
}

TEST_F(QueryModelTest, LargeResultIsReadOnlyWhereTheViewLooks)
{
    q.SetSQL(QStringLiteral("select seq as NR, concat('wiersz ', seq) as OPIS, seq * 1.5 as KWOTA "
                            "from seq_1_to_20000 order by seq"));
    q.Open();
    ASSERT_EQ(q.RecordCount(), 20000);
    TQueryModel m(&q);
    std::set<int> rowsAsked;
    long calls = 0;
    m.SetFormatter([&](const TQuery&, int row, int, int) {
        rowsAsked.insert(row);
        ++calls;
        return QVariant();
    });
    QTableView view;
    m.BindToView(&view);
    show(view);
    QApplication::processEvents();
    ASSERT_EQ(m.rowCount(), 20000);
    EXPECT_FALSE(rowsAsked.empty());
    EXPECT_LT(rowsAsked.size(), 60u);
    EXPECT_LT(*rowsAsked.rbegin(), 60);
    EXPECT_LT(calls, 20000L);

    // Jumping to the end reads the last screen, not everything in between.
    rowsAsked.clear();
    q.Last();
    QApplication::processEvents();
    view.viewport()->repaint();
    EXPECT_EQ(view.currentIndex().row(), 19999);
    EXPECT_TRUE(rowsAsked.count(19999));
    EXPECT_LT(rowsAsked.size(), 120u);
    EXPECT_EQ(cell(m, 19999, 1), QStringLiteral("wiersz 20000"));
    EXPECT_EQ(cell(m, 19999, 2), QStringLiteral("30000"));
}
