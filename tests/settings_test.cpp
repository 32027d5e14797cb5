// The settings file as the window uses it: what a start reads, what a close writes, and
// where the file lives.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest/QtTest>

#include "ui/app_paths.h"
#include "io/settings_file.h"
#include "tests/window_support.h"

using namespace vantorel;
using namespace vantorel::testing;

namespace {

const QStringList kVantorelKeys{"LeftX",    "WrapAngle", "ImageLength", "WorkSurface",
                                "DepthofCut", "Feedrate", "Clearance",  "InitialDir",
                                "RotaryAxis"};

QStringList EditTexts(const TDepthCutForm& f) {
    return {f.Edit3->text(), f.Edit4->text(), f.Edit5->text(), f.Edit6->text(),
            f.Edit7->text(), f.Edit8->text(), f.Edit9->text(), f.Edit10->text(),
            f.Edit11->text()};
}

std::string Stored(const Rig& rig, const char* section, const char* key) {
    return SettingsFile(rig.environment.settingsPath.toStdString()).ReadString(section, key, "<missing>");
}

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartShowsTheDefaultsAndCloseWritesEveryKey() {
        Rig rig;
        {
            TDepthCutForm& form = rig.Open();
            QCOMPARE(EditTexts(form), (QStringList{"0.0", "360", "100.0", "7.5", "1.0", "200",
                                                   "10", "", "M2"}));
            QCOMPARE(form.ComboBox2->currentIndex(), 0);
            QCOMPARE(form.ComboBox2->currentText(), QString("A"));
            QCOMPARE(form.OpenDialog1.InitialDir, rig.environment.executableFolder);
            QVERIFY(!QFile::exists(rig.environment.settingsPath));
        }
        rig.Destroy();

        // Read back with Qt's own INI reader: the file is an ordinary INI file.
        QSettings written(rig.environment.settingsPath, QSettings::IniFormat);
        written.beginGroup("Vantorel");
        QStringList keys = written.childKeys();
        keys.sort();
        QStringList expected = kVantorelKeys;
        expected.sort();
        QCOMPARE(keys, expected);
        QCOMPARE(written.value("ImageLength").toString(), QString("100.0"));
        QCOMPARE(written.value("InitialDir").toString(), rig.environment.executableFolder);
        QCOMPARE(written.value("RotaryAxis").toString(), QString("0"));
        written.endGroup();
        written.beginGroup("GCode");
        keys = written.childKeys();
        keys.sort();
        QCOMPARE(keys, (QStringList{"Footer", "Header"}));
        QCOMPARE(written.value("Footer").toString(), QString("M2"));
    }

    void createButtonsStayDisabledWithSettingsPresent() {
        Rig rig;
        WriteText(rig.environment.settingsPath, "[Vantorel]\nLeftX=5\n");
        TDepthCutForm& form = rig.Open();
        QCOMPARE(form.Edit3->text(), QString("5"));
        for (QPushButton* b : {form.CreateDXFButton, form.CreateSTLButton, form.CreateOBJButton,
                               form.CreateNCButton})
            QVERIFY(!b->isEnabled());
    }

    void emptyValuesDifferFromMissingKeys_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("footer");
        QTest::addColumn<QString>("leftX");
        QTest::newRow("both empty") << QByteArray("[GCode]\nHeader=\nFooter=\n") << "" << ""
                                    << "0.0";
        QTest::newRow("both missing") << QByteArray("[GCode]\n") << "" << "M2" << "0.0";
        QTest::newRow("empty in another section")
            << QByteArray("[Vantorel]\nFooter=\n[GCode]\nHeader=G54\n") << "G54" << "M2" << "0.0";
        QTest::newRow("empty left x") << QByteArray("[Vantorel]\r\nLeftX=\r\n") << "" << "M2" << "";
    }
    void emptyValuesDifferFromMissingKeys() {
        QFETCH(QByteArray, file);
        QFETCH(QString, header);
        QFETCH(QString, footer);
        QFETCH(QString, leftX);
        Rig rig;
        WriteText(rig.environment.settingsPath, file);
        TDepthCutForm& form = rig.Open();
        QCOMPARE(form.Edit10->text(), header);
        QCOMPARE(form.Edit11->text(), footer);
        QCOMPARE(form.Edit3->text(), leftX);
    }

    void rotaryAxis_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("saved");
        QTest::newRow("A") << QByteArray("0") << 0 << "0";
        QTest::newRow("beyond the list") << QByteArray("5") << -1 << "-1";
        QTest::newRow("nothing selected") << QByteArray("-1") << -1 << "-1";
        QTest::newRow("not a number") << QByteArray("x") << 0 << "0";
    }
    void rotaryAxis() {
        QFETCH(QByteArray, stored);
        QFETCH(int, selected);
        QFETCH(QString, saved);
        Rig rig;
        WriteText(rig.environment.settingsPath, "[Vantorel]\nRotaryAxis=" + stored + "\n");
        QCOMPARE(rig.Open().ComboBox2->currentIndex(), selected);
        rig.Destroy();
        QCOMPARE(Stored(rig, "Vantorel", "RotaryAxis"), saved.toStdString());
    }

    // Whatever is typed comes back at the next start exactly, characters an INI reader
    // treats specially included.
    void typedTextsSurviveARestart_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("letters") << "abc";
        QTest::newRow("comma") << "12,5";
        QTest::newRow("quotes inside") << "say \"hi\" now";
        QTest::newRow("quoted whole") << "\"M30\"";
        QTest::newRow("lone quote") << "\"";
        QTest::newRow("equals") << "a=b=c";
        QTest::newRow("semicolon first") << "; not a comment";
        QTest::newRow("hash first") << "# nor this";
        QTest::newRow("comment after") << "G54 ; offset";
        QTest::newRow("leading spaces") << "   7.5";
        QTest::newRow("trailing spaces") << "7.5   ";
        QTest::newRow("brackets") << "[GCode]";
        QTest::newRow("backslashes") << "C:\\jobs\\";
        QTest::newRow("not ascii") << QString::fromUtf8("Tiefe \xc3\xa4\xc3\xb6 \xe2\x80\x94");
        QTest::newRow("empty") << "";
    }
    void typedTextsSurviveARestart() {
        QFETCH(QString, text);
        Rig rig;
        {
            TDepthCutForm& form = rig.Open();
            // Not Edit6 or Edit9: the clearance rule would step in.
            for (QLineEdit* e : {form.Edit3, form.Edit4, form.Edit5, form.Edit7, form.Edit8,
                                 form.Edit10, form.Edit11})
                e->setText(text);
        }
        rig.Destroy();
        TDepthCutForm& form = rig.Open();
        for (QLineEdit* e : {form.Edit3, form.Edit4, form.Edit5, form.Edit7, form.Edit8,
                             form.Edit10, form.Edit11})
            QCOMPARE(e->text(), text);
    }

    // A Data.ini written by hand or by another program: plain key=value lines.
    void plainIniValuesReadAsWritten() {
        Rig rig;
        WriteText(rig.environment.settingsPath,
                  "; kept by hand\n"
                  "[vantorel]\n"
                  "LeftX = abc\n"
                  "WrapAngle=1,5\n"
                  "ImageLength=a=b\n"
                  "DepthofCut=2 ; deep\n"
                  "Feedrate=#1\n"
                  "\n"
                  "[GCode]\n"
                  "Header=G54 G0 X0 (start)\n"
                  "Footer=M30\n");
        TDepthCutForm& form = rig.Open();
        QCOMPARE(EditTexts(form), (QStringList{"abc", "1,5", "a=b", "7.5", "2 ; deep", "#1", "10",
                                               "G54 G0 X0 (start)", "M30"}));
    }

    void storedClearanceBelowTheWorkSurfaceIsRaised() {
        Rig rig;
        WriteText(rig.environment.settingsPath, "[Vantorel]\nWorkSurface=20\nClearance=10\n");
        QCOMPARE(rig.Open().Edit9->text(), QString("21"));
        rig.Destroy();
        QCOMPARE(Stored(rig, "Vantorel", "Clearance"), std::string("21"));
    }

    void pictureFolderIsSavedOnlyWhenChosenWithBrowse() {
        Rig rig;
        QDir(rig.dir.path()).mkpath("maps");
        const QString picture = rig.Path("maps/relief.bmp");
        WriteBitmap(picture, 4, 3, [](int x, int) { return QColor::fromRgb(x * 50, 0, 0); });

        rig.Open().Edit1->setText(picture);
        rig.Destroy();
        QCOMPARE(Stored(rig, "Vantorel", "InitialDir"), rig.environment.executableFolder.toStdString());

        rig.dialogs.answers = {picture};
        QTest::mouseClick(rig.Open().OriginalBMPButton, Qt::LeftButton);
        rig.Destroy();
        QCOMPARE(Stored(rig, "Vantorel", "InitialDir"), rig.Path("maps/").toStdString());
        QCOMPARE(rig.Open().OpenDialog1.InitialDir, rig.Path("maps/"));
    }

    void aFileThatCannotBeWrittenIsReportedOnce_data() {
        QTest::addColumn<QString>("blocker");  // what stands where the settings should go
        QTest::newRow("a folder named Data.ini") << "folder";
        QTest::newRow("a file where its folder should be") << "file";
    }
    void aFileThatCannotBeWrittenIsReportedOnce() {
        QFETCH(QString, blocker);
        Rig rig;
        if (blocker == "folder") {
            QDir(rig.dir.path()).mkpath("bin/Data.ini");
        } else {
            WriteText(rig.Path("plain"), "x");
            rig.environment.settingsPath = rig.Path("plain/Data.ini");
        }
        rig.Open();
        rig.Destroy();
        QCOMPARE(rig.dialogs.messages.size(), size_t(1));
        QCOMPARE(rig.dialogs.messages[0].caption, QString("Vantorel Program"));
        QCOMPARE(rig.dialogs.messages[0].text,
                 "Unable to write to " + rig.environment.settingsPath + ".");
    }

    void settingsLiveBesideTheProgramUnlessItsFolderIsClosed_data() {
        QTest::addColumn<QString>("folder");  // the executable's folder, under the test folder
        QTest::addColumn<bool>("withDataIni");
        QTest::addColumn<QString>("xdgConfigHome");  // under the test folder; "" = unset
        QTest::addColumn<QString>("expected");       // under the test folder
        QTest::newRow("writable folder") << "bin" << false << "cfg" << "bin/Data.ini";
        QTest::newRow("settings present") << "bin" << true << "cfg" << "bin/Data.ini";
        QTest::newRow("folder missing") << "gone" << false << "cfg" << "cfg/vantorel/Data.ini";
        QTest::newRow("no XDG_CONFIG_HOME") << "gone" << false << ""
                                            << "home/.config/vantorel/Data.ini";
    }
    void settingsLiveBesideTheProgramUnlessItsFolderIsClosed() {
        QFETCH(QString, folder);
        QFETCH(bool, withDataIni);
        QFETCH(QString, xdgConfigHome);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("bin");
        if (withDataIni) WriteText(dir.path() + "/bin/Data.ini", "");
        const QByteArray savedHome = qgetenv("HOME");
        const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", (dir.path() + "/home").toUtf8());
        if (xdgConfigHome.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", (dir.path() + "/" + xdgConfigHome).toUtf8());
        const QString path = SettingsPathFor(dir.path() + "/" + folder);
        qputenv("HOME", savedHome);
        if (savedXdg.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", savedXdg);
        QCOMPARE(path, dir.path() + "/" + expected);

        // The first write makes the folder of a settings file among the configuration.
        SettingsFile(path.toStdString()).WriteString("Vantorel", "LeftX", "1");
        QCOMPARE(SettingsFile(path.toStdString()).ReadString("Vantorel", "LeftX", ""), std::string("1"));
    }

    void helpIsLookedForBesideTheProgramThenInItsShareFolder_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("expected");
        const QString beside = "bin/Vantorel Help.pdf";
        const QString shared = "share/vantorel/Vantorel Help.pdf";
        QTest::newRow("beside") << QStringList{beside, shared} << beside;
        QTest::newRow("installed") << QStringList{shared} << shared;
        QTest::newRow("missing") << QStringList{} << beside;
    }
    void helpIsLookedForBesideTheProgramThenInItsShareFolder() {
        QFETCH(QStringList, present);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("bin");
        QDir(dir.path()).mkpath("share/vantorel");
        for (const QString& file : present) WriteText(dir.path() + "/" + file, "%PDF");
        QCOMPARE(HelpDocumentPathFor(dir.path() + "/bin"), dir.path() + "/" + expected);
    }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
