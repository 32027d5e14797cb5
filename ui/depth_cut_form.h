#pragma once

// The main window: choose the depth-map picture and the output name, enter the wrapping and
// machining values, and press a Create button to write one file.

#include <QString>
#include <QWidget>
#include <memory>
#include <string>

#include "core/output_format.h"
#include "core/picture.h"
#include "core/run_host.h"
#include "ui/dialogs.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantorel {

// What the window takes from its surroundings; tests put their own in.
struct FormEnvironment {
    QString executableFolder;  // no trailing separator; default folder of the picture dialog
    QString settingsPath;      // the Data.ini read at creation and written at destruction
    QString helpDocumentPath;  // opened by the Help button
    DialogProvider* dialogs = nullptr;  // not owned; must outlive the window
};

// The environment of the running program, with `dialogs` as its dialog provider.
FormEnvironment ProgramEnvironment(DialogProvider& dialogs);

class TDepthCutForm : public QWidget, public RunHost {
    Q_OBJECT

public:
    explicit TDepthCutForm(FormEnvironment environment, QWidget* parent = nullptr);
    // Saves the settings (FormDestroy) unless that has been done already.
    ~TDepthCutForm() override;

    // Controls, named as in the settings and the rest of the program.
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLineEdit* Edit5;
    QLineEdit* Edit6;
    QLineEdit* Edit7;
    QLineEdit* Edit8;
    QLineEdit* Edit9;
    QLineEdit* Edit10;
    QLineEdit* Edit11;
    QPushButton* OriginalBMPButton;
    QPushButton* NewDXFButton;
    QPushButton* CreateDXFButton;
    QPushButton* CreateSTLButton;
    QPushButton* CreateOBJButton;
    QPushButton* CreateNCButton;
    QPushButton* HelpButton;
    QPushButton* CloseButton;
    QComboBox* ComboBox2;
    QLabel* Label3;  // the status line
    QFrame* Bevel1;
    FileDialog OpenDialog1;
    FileDialog SaveDialog1;

    // Handlers.
    void FormCreate();
    void FormDestroy();
    void Edit1Change();
    void Edit6Change();
    void OriginalBMPButtonClick();
    void NewDXFButtonClick();
    void CreateDXFButtonClick();
    void CreateSTLButtonClick();
    void CreateOBJButtonClick();
    void CreateNCButtonClick();
    void HelpButtonClick();
    void CloseButtonClick();

    void SetCreateButtonsEnabled(bool enabled);

    // RunHost: what a conversion run needs of the window.
    std::string FieldText(Field field) const override;
    void SetStatus(const std::string& text) override;
    void Repaint() override;
    void ShowWarning(const std::string& message) override;
    void ShowError(const std::string& message) override;
    void SetControlsEnabled(bool enabled) override;
    const Picture& LoadedPicture() const override;
    std::string LowerCase(std::string_view text) const override;

private:
    void CreateControls();
    QLineEdit* EditFor(Field field) const;
    void LoadPicture();
    void StartRun(const OutputFormat& format);
    void AttachEdit1Change();
    void DetachEdit1Change();
    // Runs a handler so that no error can escape into Qt's event loop.
    template <typename Handler>
    void Guarded(Handler&& handler);

    FormEnvironment environment_;
    std::unique_ptr<Picture> picture_;
    QMetaObject::Connection edit1Change_;
    bool destroyed_ = false;
};

// The one main window of the program, while it exists.
extern TDepthCutForm* DepthCutForm;

}  // namespace vantorel
