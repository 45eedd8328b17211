// The main window driven through its widgets, with the user's data folder in
// a temporary folder holding a small Launcher.ini.

#include "ConfigReader.h"
#include "MainWindow.h"
#include "ModalAnswers.h"
#include "ProfileQListWidget.h"

#include <QComboBox>
#include <QGridLayout>
#include <QScreen>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>

namespace {

QStringList ProfileNames(const QList<Profile>& profiles)
{
    QStringList names;
    for (const Profile& profile : profiles)
        names << profile.Name;
    return names;
}

} // namespace

class TestMainWindow final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsOnFirstProfile();
    void showsSelectedProfile_data();
    void showsSelectedProfile();
    void addUpdateFollowsEdits_data();
    void addUpdateFollowsEdits();
    void updateStoresWidgets();
    void addsNewProfile();
    void replacesExistingProfile_data();
    void replacesExistingProfile();
    void cancelledReplaceAsksAgain();
    void emptyOrCancelledNameChangesNothing();
    void refusesNameTheFileCannotCarry();
    void refusesArgumentsTheFileCannotCarry();
    void removesProfile_data();
    void removesProfile();
    void cancelledRemoveChangesNothing();
    void mnemonics();
    void failedLaunchIsReported();
    void profileListSize();
    void changesAreSavedAtExit();

    void addsResolution_data();
    void addsResolution();
    void addsPixelDensityWithoutQuestion();
    void removesUnusedValueWithoutQuestion();
    void removingUsedValueAsks();
    void removingRepairsProfiles();
    void removeWithoutCurrentItemDoesNothing();
    void repairedProfilesAreSaved();

private:
    QComboBox* Combo(int k) const { return m_window->Sections[k].ComboBox; }
    QList<qint32> ComboIndices() const
    {
        return {Combo(1)->currentIndex(), Combo(2)->currentIndex(), Combo(3)->currentIndex()};
    }
    void Answer(QList<ModalAnswer> answers, const std::function<void()>& action)
    {
        ModalAnswers answering(std::move(answers));
        action();
        // A mnemonic clicks its button a moment after the key press.
        QTRY_VERIFY2_WITH_TIMEOUT(answering.AllAnswered(), "an expected dialog did not open", 5000);
    }
    // Clicks the Add button in the row of an option list's Remove button.
    void ClickAddBeside(QPushButton* removeButton)
    {
        const auto grids = m_window->findChildren<QGridLayout*>();
        for (QGridLayout* grid : grids) {
            if (grid->indexOf(removeButton) >= 0) {
                QTest::mouseClick(grid->itemAtPosition(1, 0)->widget(), Qt::LeftButton);
                return;
            }
        }
        QFAIL("no Add button beside the Remove button");
    }
    ConfigContents SavedConfig()
    {
        m_window.reset();
        QFile file(m_userFile);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        QTextStream in(&file);
        return ParseConfig(in);
    }

    std::unique_ptr<QTemporaryDir> m_data;
    QString m_userFile;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init()
{
    m_data = std::make_unique<QTemporaryDir>();
    qputenv("XDG_DATA_HOME", m_data->path().toLocal8Bit());
    QDir().mkpath(m_data->filePath("Kestrune/MirelvaEmulator"));
    m_userFile = m_data->filePath("Kestrune/MirelvaEmulator/Launcher.ini");
    QVERIFY(QFile::copy(MIRELVA_TEST_DATA_DIR "/window.ini", m_userFile));
    QFile::setPermissions(m_userFile, QFile::ReadOwner | QFile::WriteOwner);
    m_window = std::make_unique<MainWindow>(nullptr);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    m_data.reset();
}

void TestMainWindow::startsOnFirstProfile()
{
    QCOMPARE(m_window->windowTitle(), QString("Mirelva Emulator"));
    QCOMPARE(m_window->ProfileList->count(), 4);
    QCOMPARE(m_window->ProfileList->currentRow(), 0);
    QVERIFY(m_window->ProfileList->item(0)->isSelected());
    QCOMPARE(ComboIndices(), QList<qint32>({2, 1, 0}));
    QCOMPARE(Combo(1)->count(), 3);
    QCOMPARE(Combo(1)->itemText(2), QString("C"));
    QCOMPARE(m_window->ArgumentsEdit->text(), QString(" -first"));
    QCOMPARE(m_window->AddUpdateProfileButton->text(), QString("Add"));
    QVERIFY(!m_window->AddUpdateProfileButton->isEnabled());
    QVERIFY(!m_window->RemoveProfileButton->isEnabled());
    // Disabled at first whatever the first profile selects.
    QVERIFY(!m_window->RemoveResolutionButton->isEnabled());
    QVERIFY(!m_window->RemovePixelDensityButton->isEnabled());
    QVERIFY(!m_window->Sections[0].ComboBox);

    const auto labels = m_window->findChildren<QLabel*>();
    QStringList texts;
    for (const QLabel* label : labels)
        texts << label->text();
    for (const char* expected : {"Resolution", "Pixel Density", "Input", "&Arguments"})
        QVERIFY2(texts.contains(expected), expected);
}

void TestMainWindow::showsSelectedProfile_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<qint32>>("indices");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<bool>("addUpdateEnabled");
    QTest::addColumn<bool>("removeResolution");
    QTest::addColumn<bool>("removePixelDensity");
    using L = QList<qint32>;
    QTest::newRow("second") << 1 << L{0, 0, 1} << "" << false << false << false;
    // A stored index past the end, and a negative one, leave no current item.
    QTest::newRow("index names no entry") << 2 << L{-1, -1, 2} << " -b c" << true << true << true;
    // Pixel density stays at the first profile's entry, so its button keeps
    // the state it was built with.
    QTest::newRow("fourth") << 3 << L{1, 1, 1} << "" << false << true << false;
    QTest::newRow("back to first") << 0 << L{2, 1, 0} << " -first" << false << true << true;
}

void TestMainWindow::showsSelectedProfile()
{
    QFETCH(int, row);
    QFETCH(QList<qint32>, indices);
    QFETCH(QString, arguments);
    QFETCH(bool, addUpdateEnabled);
    QFETCH(bool, removeResolution);
    QFETCH(bool, removePixelDensity);
    m_window->ProfileList->setCurrentRow(row == 0 ? 1 : row);
    m_window->ProfileList->setCurrentRow(row);
    QCOMPARE(ComboIndices(), indices);
    QCOMPARE(m_window->ArgumentsEdit->text(), arguments);
    QCOMPARE(m_window->AddUpdateProfileButton->text(), QString(row == 0 ? "Add" : "Update"));
    QCOMPARE(m_window->AddUpdateProfileButton->isEnabled(), addUpdateEnabled);
    QCOMPARE(m_window->RemoveProfileButton->isEnabled(), row != 0);
    QCOMPARE(m_window->RemoveResolutionButton->isEnabled(), removeResolution);
    QCOMPARE(m_window->RemovePixelDensityButton->isEnabled(), removePixelDensity);
}

void TestMainWindow::addUpdateFollowsEdits_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("section");
    QTest::addColumn<QList<int>>("comboSteps");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<bool>("enabled");
    using L = QList<int>;
    QTest::newRow("combo changed") << 1 << 1 << L{2} << "" << true;
    QTest::newRow("combo changed back") << 1 << 1 << L{2, 0} << "" << false;
    QTest::newRow("input changed") << 1 << 3 << L{0} << "" << true;
    QTest::newRow("blanks at the ends") << 0 << 0 << L{} << "   -first  " << false;
    QTest::newRow("stored text retyped") << 0 << 0 << L{} << "-first" << false;
    QTest::newRow("blank between words") << 0 << 0 << L{} << " -fi rst" << true;
    QTest::newRow("new argument") << 1 << 0 << L{} << "-x" << true;
}

void TestMainWindow::addUpdateFollowsEdits()
{
    QFETCH(int, row);
    QFETCH(int, section);
    QFETCH(QList<int>, comboSteps);
    QFETCH(QString, arguments);
    QFETCH(bool, enabled);
    m_window->ProfileList->setCurrentRow(row);
    for (const int index : comboSteps)
        Combo(section)->setCurrentIndex(index);
    if (!arguments.isEmpty()) {
        m_window->ArgumentsEdit->clear();
        QTest::keyClicks(m_window->ArgumentsEdit, arguments);
    }
    QCOMPARE(m_window->AddUpdateProfileButton->isEnabled(), enabled);
}

void TestMainWindow::updateStoresWidgets()
{
    m_window->ProfileList->setCurrentRow(1);
    Combo(2)->setCurrentIndex(1);
    m_window->ArgumentsEdit->setText("  -y  ");
    QVERIFY(m_window->AddUpdateProfileButton->isEnabled());
    QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton);
    QVERIFY(!m_window->AddUpdateProfileButton->isEnabled());
    const Profile& updated = m_window->Profiles[1];
    QCOMPARE(updated.Name, QString("Second"));
    QCOMPARE(updated.Indices, QList<qint32>({0, 1, 1}));
    QCOMPARE(updated.Arguments, QString("  -y  "));
    QCOMPARE(m_window->ProfileList->currentRow(), 1);
}

void TestMainWindow::addsNewProfile()
{
    Combo(1)->setCurrentIndex(0);
    m_window->ArgumentsEdit->setText(" -new ");
    Answer({TypeName(" New one")}, [&] { QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); });
    QCOMPARE(m_window->Profiles.size(), 5);
    const Profile& added = m_window->Profiles[4];
    QCOMPARE(added.Name, QString(" New one"));
    QCOMPARE(added.Indices, QList<qint32>({0, 1, 0}));
    QCOMPARE(added.Arguments, QString(" -new "));
    QCOMPARE(m_window->ProfileList->item(4)->text(), QString(" New one"));
    QCOMPARE(m_window->ProfileList->currentRow(), 4);
    QCOMPARE(m_window->AddUpdateProfileButton->text(), QString("Update"));
    QVERIFY(!m_window->AddUpdateProfileButton->isEnabled());
    QVERIFY(m_window->RemoveProfileButton->isEnabled());
    // The first profile keeps its own values.
    QCOMPARE(m_window->Profiles[0].Indices, QList<qint32>({2, 1, 0}));
    QCOMPARE(m_window->Profiles[0].Arguments, QString(" -first"));
}

void TestMainWindow::replacesExistingProfile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row");
    QTest::newRow("another profile") << "Fourth" << 3;
    QTest::newRow("the first profile") << "First" << 0;
}

void TestMainWindow::replacesExistingProfile()
{
    QFETCH(QString, name);
    QFETCH(int, row);
    Combo(3)->setCurrentIndex(2);
    m_window->ArgumentsEdit->setText("-z");
    QString title, text;
    Answer({TypeName(name), ClickBox(QMessageBox::Ok, &title, &text)},
           [&] { QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); });
    QCOMPARE(title, QString("Add Profile"));
    QCOMPARE(text, QString("This profile already exists. Do you want to replace it?"));
    QCOMPARE(m_window->Profiles.size(), 4);
    QCOMPARE(m_window->Profiles[row].Name, name);
    QCOMPARE(m_window->Profiles[row].Indices, QList<qint32>({2, 1, 2}));
    QCOMPARE(m_window->Profiles[row].Arguments, QString("-z"));
    QCOMPARE(m_window->ProfileList->currentRow(), row);
    QCOMPARE(ComboIndices(), QList<qint32>({2, 1, 2}));
}

void TestMainWindow::cancelledReplaceAsksAgain()
{
    Combo(3)->setCurrentIndex(1);
    QString shownAgain = "not shown";
    Answer({TypeName("Second"), ClickBox(QMessageBox::Cancel), TypeName("", false, &shownAgain)},
           [&] { QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); });
    QCOMPARE(shownAgain, QString());
    QCOMPARE(m_window->Profiles.size(), 4);
    QCOMPARE(m_window->Profiles[1].Indices, QList<qint32>({0, 0, 1}));
    QCOMPARE(m_window->ProfileList->currentRow(), 0);
    QCOMPARE(Combo(3)->currentIndex(), 1);
}

void TestMainWindow::emptyOrCancelledNameChangesNothing()
{
    Combo(3)->setCurrentIndex(1);
    for (const bool accept : {true, false}) {
        Answer({TypeName(accept ? "" : "Typed", accept)},
               [&] { QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); });
        QCOMPARE(m_window->Profiles.size(), 4);
        QCOMPARE(m_window->ProfileList->count(), 4);
        QCOMPARE(m_window->ProfileList->currentRow(), 0);
    }
}

void TestMainWindow::refusesNameTheFileCannotCarry()
{
    Combo(3)->setCurrentIndex(1);
    QString text, shownAgain;
    Answer({TypeName("Say \"hi\""), ClickBox(QMessageBox::Ok, nullptr, &text), TypeName("", false, &shownAgain)},
           [&] { QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); });
    QVERIFY2(text.contains("double quote") && text.contains("\\t"), qPrintable(text));
    QCOMPARE(shownAgain, QString("Say \"hi\""));
    QCOMPARE(m_window->Profiles.size(), 4);

    Answer({TypeName("Tab\\there"), ClickBox(QMessageBox::Ok), TypeName("Tab there")},
           [&] { QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); });
    QCOMPARE(m_window->Profiles.size(), 5);
    QCOMPARE(m_window->Profiles[4].Name, QString("Tab there"));
}

void TestMainWindow::refusesArgumentsTheFileCannotCarry()
{
    QString text;
    m_window->ArgumentsEdit->setText("-title \"My phone\"");
    Answer({ClickBox(QMessageBox::Ok, nullptr, &text)},
           [&] { QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); });
    QVERIFY2(text.contains("double quote"), qPrintable(text));
    QCOMPARE(m_window->Profiles.size(), 4);

    m_window->ProfileList->setCurrentRow(1);
    m_window->ArgumentsEdit->setText("-a\n-b");
    Answer({ClickBox(QMessageBox::Ok)},
           [&] { QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); });
    QCOMPARE(m_window->Profiles[1].Arguments, QString());
    QVERIFY(m_window->AddUpdateProfileButton->isEnabled());
}

void TestMainWindow::removesProfile_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("middle") << 1 << QStringList{"First", "Broken", "Fourth"};
    QTest::newRow("last") << 3 << QStringList{"First", "Second", "Broken"};
}

void TestMainWindow::removesProfile()
{
    QFETCH(int, row);
    QFETCH(QStringList, left);
    const QString name = m_window->Profiles[row].Name;
    m_window->ProfileList->setCurrentRow(row);
    QString title, text;
    Answer({ClickBox(QMessageBox::Ok, &title, &text)},
           [&] { QTest::mouseClick(m_window->RemoveProfileButton, Qt::LeftButton); });
    QCOMPARE(title, QString("Confirm Remove Profile"));
    QCOMPARE(text, "Are you sure you want to remove this profile?\n\n" + name);
    QCOMPARE(ProfileNames(m_window->Profiles), left);
    QCOMPARE(m_window->ProfileList->count(), left.size());
    for (int r = 0; r < left.size(); ++r)
        QCOMPARE(m_window->ProfileList->item(r)->text(), left[r]);
    QCOMPARE(m_window->ProfileList->currentRow(), 0);
    QCOMPARE(ComboIndices(), QList<qint32>({2, 1, 0}));
    QVERIFY(!m_window->RemoveProfileButton->isEnabled());
    QCOMPARE(m_window->AddUpdateProfileButton->text(), QString("Add"));
}

void TestMainWindow::cancelledRemoveChangesNothing()
{
    m_window->ProfileList->setCurrentRow(2);
    Answer({ClickBox(QMessageBox::Cancel)}, [&] { QTest::mouseClick(m_window->RemoveProfileButton, Qt::LeftButton); });
    QCOMPARE(m_window->Profiles.size(), 4);
    QCOMPARE(m_window->ProfileList->currentRow(), 2);
}

void TestMainWindow::mnemonics()
{
    m_window->activateWindow();
    QTest::keyClick(m_window.get(), Qt::Key_A, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), m_window->ArgumentsEdit);
}

void TestMainWindow::failedLaunchIsReported()
{
    // The test's own folder has no emulator; Alt+L presses Launch.
    m_window->activateWindow();
    QString title, text;
    Answer({ClickBox(QMessageBox::Ok, &title, &text)},
           [&] { QTest::keyClick(m_window.get(), Qt::Key_L, Qt::AltModifier); });
    QCOMPARE(title, QString("Mirelva Emulator Launcher"));
    QCOMPARE(text, QString("Failed to start Mirelva Emulator!"));
    QVERIFY(m_window->isVisible());
    QCOMPARE(m_window->ProfileList->currentRow(), 0);
    QCOMPARE(ComboIndices(), QList<qint32>({2, 1, 0}));
}

void TestMainWindow::profileListSize()
{
    Combo(3)->setCurrentIndex(1);
    const int before = m_window->ProfileList->sizeHint().width();
    QCOMPARE(m_window->ProfileList->sizeHint().height(), 192);
    Answer({TypeName("A much, much longer profile name than any other")},
           [&] { QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); });
    QVERIFY(m_window->ProfileList->sizeHint().width() > before);
    QCOMPARE(m_window->ProfileList->sizeHint().height(), 192);
}

void TestMainWindow::changesAreSavedAtExit()
{
    Combo(3)->setCurrentIndex(1);
    Answer({TypeName("Added")}, [&] { QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); });
    m_window->ProfileList->setCurrentRow(1);
    Answer({ClickBox(QMessageBox::Ok)}, [&] { QTest::mouseClick(m_window->RemoveProfileButton, Qt::LeftButton); });
    m_window->ProfileList->setCurrentRow(2);
    m_window->ArgumentsEdit->setText("  -kept  ");
    QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton);
    const QList<Profile> held = m_window->Profiles;

    const ConfigContents saved = SavedConfig();
    QCOMPARE(ProfileNames(saved.Profiles), QStringList({"First", "Broken", "Fourth", "Added"}));
    for (int p = 0; p < held.size(); ++p) {
        QCOMPARE(saved.Profiles[p].Indices, held[p].Indices);
        QCOMPARE(saved.Profiles[p].Arguments.trimmed(), held[p].Arguments.trimmed());
    }
    QCOMPARE(saved.Profiles[2].Arguments, QString(" -kept"));
    QCOMPARE(saved.Profiles[3].Indices, QList<qint32>({2, 1, 1}));
}

void TestMainWindow::addsResolution_data()
{
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("answer"); // empty: no question expected
    QTest::addColumn<bool>("added");
    QTest::newRow("fits") << QSize(screen.width() / 2, screen.height() / 2) << "" << true;
    QTest::newRow("exactly the screen") << screen << "" << true;
    QTest::newRow("too tall, yes") << QSize(screen.width() / 2, screen.height() + 1) << "Yes" << true;
    QTest::newRow("too wide, no") << QSize(screen.width() + 1, 10) << "No" << false;
}

void TestMainWindow::addsResolution()
{
    QFETCH(QSize, size);
    QFETCH(QString, answer);
    QFETCH(bool, added);
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QList<ModalAnswer> answers{FillDialog({" Tall one ", QString::number(size.width()), QString::number(size.height())})};
    QString title, text;
    if (!answer.isEmpty())
        answers << ClickBoxButton(answer, &title, &text);
    Answer(answers, [&] { ClickAddBeside(m_window->RemoveResolutionButton); });
    if (!answer.isEmpty()) {
        QCOMPARE(title, QString("Resolution bigger than the current screen size!"));
        QCOMPARE(text, QString("You are trying to add: %1x%2\nbut the current screen resolution is: %3x%4\n\nAre you sure ?")
                           .arg(size.width()).arg(size.height()).arg(screen.width()).arg(screen.height()));
    }
    const QList<ConfigEntry>& entries = m_window->Sections[1].Entries;
    QCOMPARE(entries.size(), added ? 4 : 3);
    QCOMPARE(Combo(1)->count(), entries.size());
    if (!added) {
        QCOMPARE(Combo(1)->currentIndex(), 2);
        return;
    }
    QCOMPARE(entries[3].Name, QString(" Tall one "));
    QCOMPARE(entries[3].Value, QString(" -windowsize %1x%2").arg(size.width()).arg(size.height()));
    QCOMPARE(Combo(1)->itemText(3), QString(" Tall one "));
    QCOMPARE(Combo(1)->currentIndex(), 3);
    QVERIFY(m_window->RemoveResolutionButton->isEnabled());
    QVERIFY(m_window->AddUpdateProfileButton->isEnabled());
}

void TestMainWindow::addsPixelDensityWithoutQuestion()
{
    Answer({FillDialog({"Huge", "2147483647"})}, [&] { ClickAddBeside(m_window->RemovePixelDensityButton); });
    QCOMPARE(m_window->Sections[2].Entries.size(), 3);
    QCOMPARE(m_window->Sections[2].Entries[2].Value, QString(" -ppi 2147483647"));
    QCOMPARE(Combo(2)->currentIndex(), 2);
    QVERIFY(m_window->RemovePixelDensityButton->isEnabled());
    // A cancelled dialog adds nothing.
    Answer({FillDialog({"x", "1"}, "Cancel")}, [&] { ClickAddBeside(m_window->RemovePixelDensityButton); });
    QCOMPARE(m_window->Sections[2].Entries.size(), 3);
}

void TestMainWindow::removesUnusedValueWithoutQuestion()
{
    Answer({FillDialog({"Unused", "100"})}, [&] { ClickAddBeside(m_window->RemovePixelDensityButton); });
    QCOMPARE(Combo(2)->currentIndex(), 2);
    QTest::mouseClick(m_window->RemovePixelDensityButton, Qt::LeftButton);
    QCOMPARE(m_window->Sections[2].Entries.size(), 2);
    QCOMPARE(Combo(2)->count(), 2);
    QCOMPARE(Combo(2)->currentIndex(), 0);
    QVERIFY(!m_window->RemovePixelDensityButton->isEnabled());
}

void TestMainWindow::removingUsedValueAsks()
{
    Combo(2)->setCurrentIndex(0);
    Combo(2)->setCurrentIndex(1); // High, used by First and Fourth
    QString title, text;
    Answer({ClickBox(QMessageBox::No, &title, &text)},
           [&] { QTest::mouseClick(m_window->RemovePixelDensityButton, Qt::LeftButton); });
    QCOMPARE(title, QString("Confirm remove pixel density"));
    QCOMPARE(text, QString("The following profiles use this option, are you sure you want to continue?\n\nFirst\nFourth\n"));
    QCOMPARE(m_window->Sections[2].Entries.size(), 2);
    QCOMPARE(m_window->Profiles[0].Indices, QList<qint32>({2, 1, 0}));
    QCOMPARE(m_window->Profiles[3].Arguments, QString());

    Answer({ClickBox(QMessageBox::Yes)}, [&] { QTest::mouseClick(m_window->RemovePixelDensityButton, Qt::LeftButton); });
    QCOMPARE(m_window->Sections[2].Entries.size(), 1);
    QCOMPARE(Combo(2)->count(), 1);
    QCOMPARE(Combo(2)->currentIndex(), 0);
    QVERIFY(!m_window->RemovePixelDensityButton->isEnabled());
    QCOMPARE(m_window->Profiles[0].Indices, QList<qint32>({2, 0, 0}));
    QCOMPARE(m_window->Profiles[0].Arguments, QString(" -first  -ppi 320"));
    QCOMPARE(m_window->Profiles[3].Indices, QList<qint32>({1, 0, 1}));
    QCOMPARE(m_window->Profiles[3].Arguments, QString(" -ppi 320"));
    // The shown profile was repaired, not the widgets: they now differ.
    QCOMPARE(m_window->ArgumentsEdit->text(), QString(" -first"));
    QVERIFY(m_window->AddUpdateProfileButton->isEnabled());
}

void TestMainWindow::removingRepairsProfiles()
{
    // Entries A, B, C and a fourth D; remove C, used by First, while Broken
    // points past the end and Fourth uses B.
    Answer({FillDialog({"D", "10", "10"})}, [&] { ClickAddBeside(m_window->RemoveResolutionButton); });
    m_window->ProfileList->setCurrentRow(1);
    Combo(1)->setCurrentIndex(3);
    QTest::mouseClick(m_window->AddUpdateProfileButton, Qt::LeftButton); // Second now uses D
    m_window->ProfileList->setCurrentRow(0);
    QCOMPARE(Combo(1)->currentIndex(), 2);
    Answer({ClickBox(QMessageBox::Yes)}, [&] { QTest::mouseClick(m_window->RemoveResolutionButton, Qt::LeftButton); });

    QStringList names;
    for (int i = 0; i < Combo(1)->count(); ++i)
        names << Combo(1)->itemText(i);
    QCOMPARE(names, QStringList({"A", "B", "D"}));
    QCOMPARE(Combo(1)->currentIndex(), 0);
    QCOMPARE(m_window->Profiles[0].Indices[0], 0);
    QVERIFY(m_window->Profiles[0].Arguments.endsWith(" -windowsize 1080x1920"));
    QCOMPARE(m_window->Profiles[1].Indices[0], 2); // still D
    QCOMPARE(m_window->Profiles[2].Indices[0], 2); // past the end before and after
    QCOMPARE(m_window->Profiles[3].Indices[0], 1); // still B
    QCOMPARE(m_window->Profiles[3].Arguments, QString());
}

void TestMainWindow::removeWithoutCurrentItemDoesNothing()
{
    m_window->ProfileList->setCurrentRow(2); // stored indices name no entry
    QCOMPARE(Combo(1)->currentIndex(), -1);
    QVERIFY(m_window->RemoveResolutionButton->isEnabled());
    QTest::mouseClick(m_window->RemoveResolutionButton, Qt::LeftButton);
    QCOMPARE(m_window->Sections[1].Entries.size(), 3);
    QCOMPARE(Combo(1)->currentIndex(), -1);
    QCOMPARE(m_window->Profiles[2].Indices, QList<qint32>({3, -1, 2}));
}

void TestMainWindow::repairedProfilesAreSaved()
{
    Combo(2)->setCurrentIndex(0);
    Combo(2)->setCurrentIndex(1);
    Answer({ClickBox(QMessageBox::Yes)}, [&] { QTest::mouseClick(m_window->RemovePixelDensityButton, Qt::LeftButton); });
    const ConfigContents saved = SavedConfig();
    QCOMPARE(saved.Sections[2].Entries.size(), 1);
    QCOMPARE(saved.Profiles[0].Indices, QList<qint32>({2, 0, 0}));
    QCOMPARE(saved.Profiles[0].Arguments, QString(" -first -ppi 320"));
    QCOMPARE(saved.Profiles[3].Arguments, QString(" -ppi 320"));
    QCOMPARE(saved.Profiles[2].Indices, QList<qint32>({3, -1, 2}));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
