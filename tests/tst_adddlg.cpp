#include "AddDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestAddDlg final : public QObject
{
    Q_OBJECT

private slots:
    void okFollowsInput_data();
    void okFollowsInput();
    void numberFieldRefusesKeystrokes();
    void everyFieldMustBeAcceptable();
    void refusedTextKeepsOkDisabled();
};

void TestAddDlg::okFollowsInput_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    const int text = int(AddDlgFieldKind::Text), number = int(AddDlgFieldKind::Number);
    QTest::newRow("text empty") << text << "" << false;
    QTest::newRow("text spaces") << text << "   " << true;
    QTest::newRow("text letters") << text << "Phone" << true;
    QTest::newRow("number empty") << number << "" << false;
    QTest::newRow("number spaces") << number << "  " << false;
    QTest::newRow("number zero first") << number << "0" << false;
    QTest::newRow("number letters") << number << "abc" << false;
    QTest::newRow("number 10") << number << "10" << true;
    QTest::newRow("number largest") << number << "2147483647" << true;
    QTest::newRow("number too large") << number << "2147483648" << false;
}

void TestAddDlg::okFollowsInput()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(bool, ok);
    AddDlg dialog(nullptr, "Add", {{AddDlgFieldKind(kind), "Field:", nullptr, {}}});
    QVERIFY(!dialog.OkButton->isEnabled());
    // Typed where the validator lets it through, set directly otherwise.
    dialog.Fields[0].Edit->setText(text);
    QCOMPARE(dialog.OkButton->isEnabled(), ok);
}

void TestAddDlg::numberFieldRefusesKeystrokes()
{
    AddDlg dialog(nullptr, "Add", {{AddDlgFieldKind::Number, "Width:", nullptr, {}}});
    QLineEdit* edit = dialog.Fields[0].Edit;
    QTest::keyClicks(edit, "0-1. a,20");
    QCOMPARE(edit->text(), QString("120"));
    QVERIFY(dialog.OkButton->isEnabled());
}

void TestAddDlg::everyFieldMustBeAcceptable()
{
    const QList<AddDlgField> fields = {{AddDlgFieldKind::Text, "Name:", nullptr, {}},
                                       {AddDlgFieldKind::Number, "Width:", nullptr, {}},
                                       {AddDlgFieldKind::Number, "Height:", nullptr, {}}};
    AddDlg dialog(nullptr, "Add Resolution", fields);
    QCOMPARE(dialog.windowTitle(), QString("Add Resolution"));
    QCOMPARE(dialog.Fields.size(), 3);
    QTest::keyClicks(dialog.Fields[0].Edit, "Tall");
    QTest::keyClicks(dialog.Fields[1].Edit, "480");
    QVERIFY(!dialog.OkButton->isEnabled());
    QTest::keyClicks(dialog.Fields[2].Edit, "800");
    QVERIFY(dialog.OkButton->isEnabled());
    dialog.Fields[1].Edit->clear();
    QVERIFY(!dialog.OkButton->isEnabled());
    QTest::keyClicks(dialog.Fields[1].Edit, "4");
    QVERIFY(dialog.OkButton->isEnabled());
    for (const AddDlgField& field : fields)
        QVERIFY(!field.Edit);

    AddDlg empty(nullptr, "Add", {});
    QVERIFY(!empty.OkButton->isEnabled());
}

void TestAddDlg::refusedTextKeepsOkDisabled()
{
    AddDlg dialog(nullptr, "Add", {{AddDlgFieldKind::Text, "Name:", nullptr, {"\"", "\\t"}}});
    QLineEdit* edit = dialog.Fields[0].Edit;
    QTest::keyClicks(edit, "Say \"hi\"");
    QVERIFY(!dialog.OkButton->isEnabled());
    QCOMPARE(edit->toolTip(), QString("Name cannot contain \"."));
    edit->setText("a\\tb");
    QVERIFY(!dialog.OkButton->isEnabled());
    QCOMPARE(edit->toolTip(), QString("Name cannot contain \\t."));
    edit->setText("a\\b t");
    QVERIFY(dialog.OkButton->isEnabled());
    QVERIFY(edit->toolTip().isEmpty());
}

QTEST_MAIN(TestAddDlg)
#include "tst_adddlg.moc"
