// Build tool: typesets the help document (HTML) into the PDF the Help button opens.
// Usage: vantorel_help_pdf SOURCE.html OUTPUT.pdf

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: vantorel_help_pdf SOURCE.html OUTPUT.pdf\n");
        return 64;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "vantorel_help_pdf: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString html = QString::fromUtf8(source.readAll());

    const QString output = QString::fromLocal8Bit(argv[2]);
    QPdfWriter writer(output);
    writer.setTitle("Vantorel Help");
    writer.setCreator("Vantorel");
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
    writer.setResolution(300);

    QTextDocument document;
    document.setDefaultFont(QFont("DejaVu Sans", 10));
    document.setHtml(html);
    document.print(&writer);
    return QFile::exists(output) ? 0 : 1;
}
