#include "ui/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>

namespace vantorel {
namespace {

constexpr int kPreviewSize = 160;

// Shows the picture under the dialog's selection, scaled down, beside the file list.
void AddPicturePreview(QFileDialog& dialog) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid) return;
    auto* preview = new QLabel(&dialog);
    preview->setObjectName("PicturePreview");
    preview->setFixedSize(kPreviewSize, kPreviewSize);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString& path) {
        QImageReader reader(path);
        const QSize size = reader.size();
        // A preview never decodes a huge picture in full: scale while reading.
        if (size.isValid()) reader.setScaledSize(size.scaled(kPreviewSize, kPreviewSize, Qt::KeepAspectRatio));
        const QImage image = reader.read();
        if (image.isNull()) {
            preview->clear();
            return;
        }
        preview->setPixmap(QPixmap::fromImage(image));
    });
}

class DesktopDialogs final : public DialogProvider {
public:
    std::optional<QString> Execute(QWidget* owner, const FileDialog& properties) override {
        QFileDialog dialog(owner, properties.Title, properties.InitialDir);
        const bool open = properties.kind == FileDialog::Kind::OpenExisting;
        dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setNameFilters(properties.Filters);
        dialog.setDefaultSuffix(properties.DefaultExt);
        QFileDialog::Options options;
        if (!properties.ConfirmOverwrite) options |= QFileDialog::DontConfirmOverwrite;
        if (properties.PicturePreview) options |= QFileDialog::DontUseNativeDialog;
        dialog.setOptions(options);
        dialog.setSizeGripEnabled(true);
        if (properties.PicturePreview) AddPicturePreview(dialog);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().first();
    }

    void ShowMessage(QWidget* owner, const QString& caption, const QString& text) override {
        QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
        box.exec();
    }

    void OpenDocument(const QString& path) override {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
};

}  // namespace

std::unique_ptr<DialogProvider> MakeDesktopDialogs() { return std::make_unique<DesktopDialogs>(); }

QString WithFullStop(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar('.')) return message + ".";
    return message;
}

void ShowErrorDisplay(DialogProvider& dialogs, QWidget* owner, const QString& message) {
    dialogs.ShowMessage(owner, kApplicationTitle, WithFullStop(message));
}

}  // namespace vantorel
