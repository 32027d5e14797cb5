#pragma once

// What the window tests share: dialogs answered from a script, pictures written on the spot
// and a window whose status texts and enabling are logged together with the boxes it shows.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest/QtTest>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "ui/depth_cut_form.h"
#include "ui/dialogs.h"

namespace vantorel::testing {

struct Message {
    QString caption;
    QString text;
};

class ScriptedDialogs final : public DialogProvider {
public:
    explicit ScriptedDialogs(QStringList& log) : log_(log) {}

    std::deque<std::optional<QString>> answers;  // one per file dialog run; nothing = cancel
    std::vector<FileDialog> shown;               // each file dialog as it was run
    std::vector<Message> messages;
    QStringList openedDocuments;

    std::optional<QString> Execute(QWidget*, const FileDialog& dialog) override {
        shown.push_back(dialog);
        if (answers.empty()) return std::nullopt;
        std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowMessage(QWidget*, const QString& caption, const QString& text) override {
        messages.push_back({caption, text});
        log_ << "box:" + caption + ":" + text;
    }
    void OpenDocument(const QString& path) override { openedDocuments << path; }

private:
    QStringList& log_;
};

// The window with everything it shows logged in order: "status:..", "enable:0/1", "box:..".
class LoggedForm final : public TDepthCutForm {
public:
    LoggedForm(FormEnvironment environment, QStringList& log)
        : TDepthCutForm(std::move(environment)), log_(log) {}

    void SetStatus(const std::string& text) override {
        log_ << "status:" + QString::fromStdString(text);
        TDepthCutForm::SetStatus(text);
    }
    void SetControlsEnabled(bool enabled) override {
        log_ << (enabled ? "enable:1" : "enable:0");
        TDepthCutForm::SetControlsEnabled(enabled);
    }

private:
    QStringList& log_;
};

// A picture written as a Windows bitmap; `colour` gives each pixel.
inline void WriteBitmap(const QString& path, int width, int height,
                        const std::function<QColor(int, int)>& colour) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixelColor(x, y, colour(x, y));
    QVERIFY2(image.save(path, "BMP"), qPrintable("cannot write " + path));
}

inline void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable("cannot write " + path));
    file.write(text);
}

inline QByteArray ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A temporary folder holding a program folder (bin/, settings and help) and the test's files.
class Rig {
public:
    Rig() {
        QDir(dir.path()).mkpath("bin");
        environment.executableFolder = dir.path() + "/bin";
        environment.settingsPath = environment.executableFolder + "/Data.ini";
        environment.helpDocumentPath = environment.executableFolder + "/Vantorel Help.pdf";
        environment.dialogs = &dialogs;
    }
    ~Rig() { form.reset(); }

    QString Path(const QString& name) const { return dir.path() + "/" + name; }
    QString Folder() const { return dir.path() + "/"; }

    // Creates the window (reading the settings file) and shows it.
    LoggedForm& Open() {
        form = std::make_unique<LoggedForm>(environment, log);
        form->show();
        return *form;
    }
    // Destroys the window, which writes the settings file.
    void Destroy() { form.reset(); }

    QTemporaryDir dir;
    QStringList log;
    ScriptedDialogs dialogs{log};
    FormEnvironment environment;
    std::unique_ptr<LoggedForm> form;
};

}  // namespace vantorel::testing
