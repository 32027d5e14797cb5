// The main window driven as a user drives it: typing, Browse, the Create buttons, refusals,
// the clearance rule and the error display.

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QtTest>

#include "tests/window_support.h"

using namespace vantorel;
using namespace vantorel::testing;

namespace {

QColor Gradient(int x, int y) { return QColor::fromRgb((x * 60 + y * 20) % 256, 40, 90); }

QList<QPushButton*> CreateButtons(const TDepthCutForm& form) {
    return {form.CreateDXFButton, form.CreateSTLButton, form.CreateOBJButton, form.CreateNCButton};
}

bool CreateButtonsEnabled(const TDepthCutForm& form) {
    for (QPushButton* b : CreateButtons(form))
        if (!b->isEnabled()) return false;
    return true;
}

bool CreateButtonsDisabled(const TDepthCutForm& form) {
    for (QPushButton* b : CreateButtons(form))
        if (b->isEnabled()) return false;
    return true;
}

// Every control that a run disables and enables again.
QList<QWidget*> RunControls(const TDepthCutForm& f) {
    return {f.CreateDXFButton, f.CreateSTLButton, f.CreateOBJButton, f.CreateNCButton,
            f.OriginalBMPButton, f.NewDXFButton, f.HelpButton, f.CloseButton,
            f.Edit1, f.Edit2, f.Edit3, f.Edit4, f.Edit5, f.Edit6, f.Edit7, f.Edit8, f.Edit9,
            f.Edit10, f.Edit11};
}

QString Loaded(int width, int height) {
    return QString("Picture loaded and is = %1W x %2H Pixels").arg(width).arg(height);
}

void Retype(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithCreateButtonsDisabledAndTheRestEnabled() {
        Rig rig;
        TDepthCutForm& form = rig.Open();
        QCOMPARE(form.windowTitle(), QString("Vantorel Program"));
        QVERIFY(CreateButtonsDisabled(form));
        for (QWidget* w : RunControls(form))
            if (!CreateButtons(form).contains(w)) QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(form.ComboBox2->isEnabled());
        QVERIFY(form.Edit1->text().isEmpty());
        QVERIFY(form.Edit2->text().isEmpty());
        QVERIFY(form.Label3->text().isEmpty());
    }

    void tabOrderFollowsTheLayoutOfTheDesign() {
        Rig rig;
        TDepthCutForm& form = rig.Open();
        const QStringList expected{
            "Edit1", "OriginalBMPButton", "NewDXFButton", "Edit2", "Edit3", "Edit4",
            "CreateDXFButton", "HelpButton", "CloseButton", "Edit5", "Edit6", "ComboBox2",
            "Edit7", "CreateSTLButton", "CreateOBJButton", "Edit8", "CreateNCButton", "Edit9",
            "Edit10", "Edit11"};
        QStringList chain;
        QWidget* w = form.Edit1;
        do {
            if (expected.contains(w->objectName()) && !chain.contains(w->objectName()))
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != form.Edit1);
        QCOMPARE(chain, expected);
    }

    // Each keystroke runs the change handler: the picture loads at the first keystroke that
    // names an existing .bmp, and a later one that spoils the name disables the Create buttons
    // while the status keeps telling of the last load.
    void typingThePicturePathLoadsItAtTheFirstKeystrokeThatNamesIt() {
        Rig rig;
        const QString picture = rig.Path("face.bmp");
        WriteBitmap(picture, 7, 5, Gradient);
        TDepthCutForm& form = rig.Open();
        const QString initialOpenDir = form.OpenDialog1.InitialDir;

        const QString typed = picture + "x";
        for (qsizetype i = 0; i < typed.size(); ++i) {
            QTest::keyClicks(form.Edit1, typed.mid(i, 1));
            const QString text = form.Edit1->text();
            if (text.size() < picture.size()) {
                QVERIFY2(CreateButtonsDisabled(form), qPrintable(text));
                QVERIFY2(form.Label3->text().isEmpty(), qPrintable(text));
                QVERIFY2(form.Edit2->text().isEmpty(), qPrintable(text));
            } else if (text == picture) {
                QVERIFY(CreateButtonsEnabled(form));
                QCOMPARE(form.Label3->text(), Loaded(7, 5));
                QCOMPARE(form.Edit2->text(), rig.Path("face Vantorel.dxf"));
                QCOMPARE(form.SaveDialog1.InitialDir, rig.Folder());
            }
        }
        QCOMPARE(form.Edit1->text(), typed);
        QVERIFY(CreateButtonsDisabled(form));
        QCOMPARE(form.Label3->text(), Loaded(7, 5));
        QCOMPARE(form.Edit2->text(), rig.Path("face Vantorel.dxf"));
        QCOMPARE(form.OpenDialog1.InitialDir, initialOpenDir);
    }

    void whichTypedNamesLoad_data() {
        QTest::addColumn<QString>("file");       // written in the folder as a bitmap
        QTest::addColumn<bool>("aBitmap");       // false: the file holds text, not a picture
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("outputNamed");  // Edit2 proposed from the picture's name
        QTest::newRow("lower case") << "pic.bmp" << true << Loaded(3, 2) << true << true;
        QTest::newRow("capitals") << "PIC.BMP" << true << Loaded(3, 2) << true << true;
        QTest::newRow("no dot before bmp") << "picbmp" << true << "" << false << false;
        QTest::newRow("another extension") << "pic.png" << true << "" << false << false;
        QTest::newRow("not a picture") << "notes.bmp" << false << "Picture did not load" << false
                                       << true;
    }
    void whichTypedNamesLoad() {
        QFETCH(QString, file);
        QFETCH(bool, aBitmap);
        QFETCH(QString, status);
        QFETCH(bool, enabled);
        QFETCH(bool, outputNamed);
        Rig rig;
        if (aBitmap)
            WriteBitmap(rig.Path(file), 3, 2, Gradient);
        else
            WriteText(rig.Path(file), "just text\n");
        TDepthCutForm& form = rig.Open();
        form.Edit1->setText(rig.Path(file));
        QCOMPARE(form.Label3->text(), status);
        QCOMPARE(CreateButtonsEnabled(form), enabled);
        QCOMPARE(CreateButtonsDisabled(form), !enabled);
        const QString stem = file.left(file.lastIndexOf('.'));
        QCOMPARE(form.Edit2->text(), outputNamed ? rig.Path(stem + " Vantorel.dxf") : QString());
    }

    void pictureBrowseLoadsTheChosenFileAndMovesBothDialogs() {
        Rig rig;
        QDir(rig.dir.path()).mkpath("maps");
        const QString picture = rig.Path("maps/relief.bmp");
        WriteBitmap(picture, 4, 6, Gradient);
        TDepthCutForm& form = rig.Open();

        rig.dialogs.answers = {std::nullopt};  // cancelled: nothing changes
        QTest::mouseClick(form.OriginalBMPButton, Qt::LeftButton);
        QCOMPARE(rig.dialogs.shown.size(), size_t(1));
        const FileDialog& first = rig.dialogs.shown[0];
        QCOMPARE(first.kind, FileDialog::Kind::OpenExisting);
        QCOMPARE(first.Title, QString("Depth Map to be Machined"));
        QCOMPARE(first.Filters, QStringList{"Bitmaps (*.bmp)"});
        QCOMPARE(first.InitialDir, rig.environment.executableFolder);
        QVERIFY(form.Edit1->text().isEmpty());
        QVERIFY(form.Label3->text().isEmpty());

        rig.dialogs.answers = {picture};
        QTest::mouseClick(form.OriginalBMPButton, Qt::LeftButton);
        QCOMPARE(form.Edit1->text(), picture);
        QCOMPARE(form.Edit2->text(), rig.Path("maps/relief Vantorel.dxf"));
        QCOMPARE(form.Label3->text(), Loaded(4, 6));
        QVERIFY(CreateButtonsEnabled(form));
        QCOMPARE(form.OpenDialog1.InitialDir, rig.Path("maps/"));
        QCOMPARE(form.SaveDialog1.InitialDir, rig.Path("maps/"));

        rig.dialogs.answers = {std::nullopt};
        QTest::mouseClick(form.OriginalBMPButton, Qt::LeftButton);
        QCOMPARE(rig.dialogs.shown.back().InitialDir, rig.Path("maps/"));

        // The change handler is attached again: a keystroke that spoils the name is noticed.
        QTest::keyClicks(form.Edit1, "x");
        QVERIFY(CreateButtonsDisabled(form));
    }

    // Browse tries whatever existing file the dialog returns, whatever its extension.
    void pictureBrowseMakesNoExtensionTest() {
        Rig rig;
        const QString picture = rig.Path("relief.depth");
        WriteBitmap(picture, 5, 2, Gradient);
        TDepthCutForm& form = rig.Open();
        rig.dialogs.answers = {picture};
        QTest::mouseClick(form.OriginalBMPButton, Qt::LeftButton);
        QCOMPARE(form.Label3->text(), Loaded(5, 2));
        QVERIFY(CreateButtonsEnabled(form));
        QCOMPARE(form.Edit2->text(), rig.Path("relief Vantorel.dxf"));
    }

    void outputBrowseSetsTheNameAndFollowsItsFolder() {
        Rig rig;
        const QString picture = rig.Path("relief.bmp");
        WriteBitmap(picture, 4, 6, Gradient);
        TDepthCutForm& form = rig.Open();
        form.Edit1->setText(picture);

        rig.dialogs.answers = {std::nullopt};
        QTest::mouseClick(form.NewDXFButton, Qt::LeftButton);
        const FileDialog& shown = rig.dialogs.shown.back();
        QCOMPARE(shown.kind, FileDialog::Kind::Save);
        QCOMPARE(shown.Title, QString("DXF Output Filename"));
        QCOMPARE(shown.Filters, (QStringList{"DXF Files (*.dxf)", "All Files (*)"}));
        QCOMPARE(shown.DefaultExt, QString("dxf"));
        QVERIFY(!shown.ConfirmOverwrite);
        QCOMPARE(shown.InitialDir, rig.Folder());
        QCOMPARE(form.Edit2->text(), rig.Path("relief Vantorel.dxf"));

        const QString chosen = rig.Path("out/wrapped.dxf");
        rig.dialogs.answers = {chosen};
        QTest::mouseClick(form.NewDXFButton, Qt::LeftButton);
        QCOMPARE(form.Edit2->text(), chosen);
        QCOMPARE(form.SaveDialog1.InitialDir, rig.Path("out/"));
        QCOMPARE(form.OpenDialog1.InitialDir, rig.environment.executableFolder);
    }

    void eachCreateButtonWritesItsFile_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("output");  // the file written for output name "job.dxf"
        QTest::addColumn<QString>("building");
        QTest::addColumn<QString>("saving");
        QTest::addColumn<QByteArray>("starts");  // the file's first bytes
        QTest::newRow("NC") << "CreateNCButton" << "job.nc" << "Creating Toolpath file"
                            << "Writing NC file" << QByteArray("( Toolpath File");
        QTest::newRow("STL") << "CreateSTLButton" << "job.stl" << "Creating STL file"
                             << "Writing STL file" << QByteArray("solid");
        QTest::newRow("OBJ") << "CreateOBJButton" << "job.obj" << "Creating OBJ file"
                             << "Writing OBJ file" << QByteArray();
        QTest::newRow("DXF") << "CreateDXFButton" << "job.dxf" << "Creating DXF file"
                             << "Writing DXF file" << QByteArray();
    }
    void eachCreateButtonWritesItsFile() {
        QFETCH(QString, button);
        QFETCH(QString, output);
        QFETCH(QString, building);
        QFETCH(QString, saving);
        QFETCH(QByteArray, starts);
        Rig rig;
        WriteBitmap(rig.Path("pic.bmp"), 6, 4, Gradient);
        TDepthCutForm& form = rig.Open();
        form.Edit1->setText(rig.Path("pic.bmp"));
        form.Edit2->setText(rig.Path("job.dxf"));
        rig.log.clear();

        QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);

        for (const Message& m : rig.dialogs.messages)
            if (m.text.contains("not built yet")) QSKIP(qPrintable(m.text));
        const QStringList expected{"enable:0", "status:Checking max brightness values",
                                   "status:" + building, "status:" + saving, "enable:1",
                                   "status:Complete"};
        QCOMPARE(rig.log, expected);
        const QByteArray written = ReadText(rig.Path(output));
        QVERIFY(!written.isEmpty());
        QVERIFY(written.startsWith(starts));
        QVERIFY(written.endsWith("\r\n"));
        QCOMPARE(form.Label3->text(), QString("Complete"));
        for (QWidget* w : RunControls(form)) QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    }

    void refusedJobsShowTheWarningAndChangeNothing_data() {
        QTest::addColumn<QString>("edit");   // the edit given `text` before the NC run
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("outputExists");
        QTest::addColumn<QString>("warning");
        QTest::newRow("output exists")
            << "" << "" << true
            << "An existing NC file will get overwritten.\n\nPlease delete file or change "
               "converted file name";
        QTest::newRow("no output name") << "Edit2" << "" << false
                                        << "Need two file names\n\nConversion Aborted.";
        QTest::newRow("no length") << "Edit5" << "abc" << false
                                   << "The Image has zero length along the X Axis.\n\n"
                                      "Conversion Aborted.";
    }
    void refusedJobsShowTheWarningAndChangeNothing() {
        QFETCH(QString, edit);
        QFETCH(QString, text);
        QFETCH(bool, outputExists);
        QFETCH(QString, warning);
        Rig rig;
        WriteBitmap(rig.Path("pic.bmp"), 6, 4, Gradient);
        if (outputExists) WriteText(rig.Path("pic Vantorel.nc"), "keep me");
        TDepthCutForm& form = rig.Open();
        form.Edit1->setText(rig.Path("pic.bmp"));
        if (!edit.isEmpty()) form.findChild<QLineEdit*>(edit)->setText(text);
        rig.log.clear();

        QTest::mouseClick(form.CreateNCButton, Qt::LeftButton);

        QCOMPARE(rig.log, (QStringList{"box:Warning:" + warning, "status:Conversion Aborted"}));
        QCOMPARE(form.Label3->text(), QString("Conversion Aborted"));
        QVERIFY(CreateButtonsEnabled(form));
        QCOMPARE(ReadText(rig.Path("pic Vantorel.nc")), outputExists ? QByteArray("keep me") : QByteArray());
    }

    // The picture is read when it is chosen and never again: a file replaced afterwards does
    // not change the run, and a file deleted afterwards is refused before anything is written.
    void aRunUsesThePictureAsItWasLoaded() {
        Rig rig;
        WriteBitmap(rig.Path("pic.bmp"), 3, 2, [](int x, int) {
            return x == 1 ? QColor(Qt::white) : QColor(Qt::black);
        });
        TDepthCutForm& form = rig.Open();
        form.Edit1->setText(rig.Path("pic.bmp"));
        QCOMPARE(form.Label3->text(), Loaded(3, 2));
        WriteBitmap(rig.Path("pic.bmp"), 5, 5, Gradient);  // replaced behind the window's back

        QTest::mouseClick(form.CreateNCButton, Qt::LeftButton);

        const QList<QByteArray> lines = ReadText(rig.Path("pic Vantorel.nc")).split('\n');
        QCOMPARE(lines.size() - 1, 3 * 2 + 26);  // the loaded picture's moves, not the new one's
        QCOMPARE(lines[22], QByteArray("G1 X50.0000 Z6.5000\r"));

        QFile::remove(rig.Path("pic.bmp"));
        rig.log.clear();
        QTest::mouseClick(form.CreateSTLButton, Qt::LeftButton);
        QCOMPARE(rig.log, (QStringList{"box:Warning:The input file does not exist.\n\nPlease check",
                                       "status:Conversion Aborted"}));
        QVERIFY(!QFile::exists(rig.Path("pic Vantorel.stl")));
    }

    // A picture one pixel wide has no X step: the run ends through its end-of-run steps and
    // then the error display shows the message with its full stop.
    void aFailedRunReportsAfterRestoringTheWindow() {
        Rig rig;
        WriteBitmap(rig.Path("thin.bmp"), 1, 8, Gradient);
        TDepthCutForm& form = rig.Open();
        form.Edit1->setText(rig.Path("thin.bmp"));
        rig.log.clear();

        QTest::mouseClick(form.CreateNCButton, Qt::LeftButton);

        QCOMPARE(rig.log.first(), QString("enable:0"));
        QCOMPARE(rig.log.mid(rig.log.size() - 3),
                 (QStringList{"enable:1", "status:Conversion Failed",
                              "box:Vantorel Program:Floating point division by zero."}));
        QVERIFY(!QFile::exists(rig.Path("thin Vantorel.nc")));
        for (QWidget* w : RunControls(form)) QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
    }

    void errorDisplayAppendsAFullStopOnlyAfterLaterCharacters_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Cannot create file /x/a.nc" << "Cannot create file /x/a.nc.";
        QTest::newRow("digit") << "code 7" << "code 7.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("bracket") << "no access (denied)" << "no access (denied)";
        QTest::newRow("hyphen") << "ends in -" << "ends in -";
        QTest::newRow("empty") << "" << "";
    }
    void errorDisplayAppendsAFullStopOnlyAfterLaterCharacters() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        Rig rig;
        TDepthCutForm& form = rig.Open();
        form.ShowError(message.toStdString());
        QCOMPARE(rig.dialogs.messages.size(), size_t(1));
        QCOMPARE(rig.dialogs.messages[0].caption, QString("Vantorel Program"));
        QCOMPARE(rig.dialogs.messages[0].text, shown);
    }

    void clearanceIsNeverLeftBelowTheWorkSurface() {
        Rig rig;
        TDepthCutForm& form = rig.Open();
        QCOMPARE(form.Edit6->text(), QString("7.5"));
        QCOMPARE(form.Edit9->text(), QString("10"));

        // Emptying the clearance reads as 0: it becomes the work surface plus 1 at once.
        form.Edit9->selectAll();
        QTest::keyClick(form.Edit9, Qt::Key_Backspace);
        QCOMPARE(form.Edit9->text(), QString("8.5"));

        // A clearance typed digit by digit over a selection is lifted at its first digit.
        form.Edit9->selectAll();
        QTest::keyClicks(form.Edit9, "1");
        QCOMPARE(form.Edit9->text(), QString("8.5"));

        // Pasted whole it stays.
        form.Edit9->setText("10");
        form.Edit6->selectAll();
        QTest::keyClick(form.Edit6, Qt::Key_Backspace);
        QCOMPARE(form.Edit9->text(), QString("10"));  // empty work surface reads as 7.5
        QTest::keyClicks(form.Edit6, "2");
        QCOMPARE(form.Edit9->text(), QString("10"));
        QTest::keyClicks(form.Edit6, "0");
        QCOMPARE(form.Edit9->text(), QString("21"));

        // With the work surface at or below 0 an empty clearance stays empty.
        Retype(form.Edit6, "0");
        Retype(form.Edit9, "");
        QCOMPARE(form.Edit9->text(), QString());
        form.Edit6->setText("-3");
        QCOMPARE(form.Edit9->text(), QString());
    }

    void helpOpensTheDocumentBesideTheProgramAndReportsNothing() {
        Rig rig;
        TDepthCutForm& form = rig.Open();
        QTest::mouseClick(form.HelpButton, Qt::LeftButton);
        QCOMPARE(rig.dialogs.openedDocuments, QStringList{rig.environment.helpDocumentPath});
        QVERIFY(rig.dialogs.messages.empty());
    }

    // The real dialogs, answered from inside their own modal loop.
    void desktopFileDialogsCarryTheirProperties() {
        Rig rig;
        const QString picture = rig.Path("relief.bmp");
        WriteBitmap(picture, 40, 30, Gradient);
        TDepthCutForm& form = rig.Open();
        form.OpenDialog1.InitialDir = rig.dir.path();
        const std::unique_ptr<DialogProvider> desktop = MakeDesktopDialogs();

        QString title;
        QStringList filters;
        QFileDialog::FileMode mode{};
        bool previewShown = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            mode = dialog->fileMode();
            dialog->selectFile(picture);
            // The file list reads its folder in the background; say the selection changed
            // as it would once that is done.
            emit dialog->currentChanged(picture);
            if (auto* preview = dialog->findChild<QLabel*>("PicturePreview"))
                previewShown = !preview->pixmap().isNull();
            static_cast<QDialog*>(dialog)->accept();  // as the OK button does
        });
        QCOMPARE(desktop->Execute(&form, form.OpenDialog1), std::optional<QString>(picture));
        QCOMPARE(title, QString("Depth Map to be Machined"));
        QCOMPARE(filters, QStringList{"Bitmaps (*.bmp)"});
        QCOMPARE(mode, QFileDialog::ExistingFile);
        QVERIFY(previewShown);

        // An existing name is taken without a question; a name without extension gets .dxf.
        form.SaveDialog1.InitialDir = rig.dir.path();
        QFileDialog::Options options;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            options = dialog->options();
            dialog->selectFile(rig.Path("wrapped"));
            static_cast<QDialog*>(dialog)->accept();  // as the OK button does
        });
        QCOMPARE(desktop->Execute(&form, form.SaveDialog1), std::optional<QString>(rig.Path("wrapped.dxf")));
        QVERIFY(options.testFlag(QFileDialog::DontConfirmOverwrite));

        QTimer::singleShot(0, [] {
            if (auto* dialog = QApplication::activeModalWidget()) dialog->close();
        });
        QCOMPARE(desktop->Execute(&form, form.SaveDialog1), std::optional<QString>());
    }

    void desktopMessageBoxIsCriticalWithOneOk() {
        QWidget owner;
        QString caption;
        QString text;
        QMessageBox::Icon icon{};
        QList<QAbstractButton*> buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            caption = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons();
            box->accept();
        });
        MakeDesktopDialogs()->ShowMessage(&owner, "Warning", "Need two file names");
        QCOMPARE(caption, QString("Warning"));
        QCOMPARE(text, QString("Need two file names"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons.size(), 1);
    }

    void closeButtonClosesTheWindow() {
        Rig rig;
        TDepthCutForm& form = rig.Open();
        QVERIFY(form.isVisible());
        QTest::mouseClick(form.CloseButton, Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
