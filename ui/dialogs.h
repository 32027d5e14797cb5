#pragma once

// Every modal thing the window shows goes through DialogProvider, so that tests can answer
// the dialogs and boxes without an event loop waiting for a person.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>

namespace vantorel {

// The properties of a file dialog, kept by the window between runs of the dialog.
struct FileDialog {
    enum class Kind { OpenExisting, Save };
    Kind kind = Kind::OpenExisting;
    QString Title;
    QStringList Filters;     // Qt filter entries, e.g. "Bitmaps (*.bmp)"
    QString DefaultExt;      // added to a chosen name that has no extension
    QString InitialDir;      // where the dialog starts
    bool PicturePreview = false;
    bool ConfirmOverwrite = false;
};

class DialogProvider {
public:
    virtual ~DialogProvider() = default;
    // Runs the dialog modally: the chosen file name, or nothing when the user cancelled.
    virtual std::optional<QString> Execute(QWidget* owner, const FileDialog& dialog) = 0;
    // A modal box with the error icon and one OK button.
    virtual void ShowMessage(QWidget* owner, const QString& caption, const QString& text) = 0;
    // Opens a document with the program the desktop associates with it; the result is ignored.
    virtual void OpenDocument(const QString& path) = 0;
};

// The real dialogs, boxes and desktop services.
std::unique_ptr<DialogProvider> MakeDesktopDialogs();

inline constexpr const char* kApplicationTitle = "Vantorel Program";

// The error display's full-stop rule: a non-empty message whose last character comes after
// "." in character order gets a "." appended; "...zero" gains one, "...file." keeps its own.
QString WithFullStop(const QString& message);

// The error display: the message with its full stop, captioned with the application title.
void ShowErrorDisplay(DialogProvider& dialogs, QWidget* owner, const QString& message);

}  // namespace vantorel
