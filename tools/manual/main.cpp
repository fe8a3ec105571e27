// Renders the user manual from Markdown to PDF: calibrix-manual INPUT.md OUTPUT.pdf
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: calibrix-manual INPUT.md OUTPUT.pdf\n");
    return 2;
  }
  QFile in(QString::fromLocal8Bit(argv[1]));
  if (!in.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "calibrix-manual: cannot read %s\n", argv[1]);
    return 1;
  }
  QTextDocument document;
  document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
  document.setDefaultStyleSheet(QStringLiteral("h1 { color: #1F5F8F; } h2 { color: #1F5F8F; } td, th { padding: 3px; }"));
  document.setMarkdown(QString::fromUtf8(in.readAll()));

  QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
  pdf.setTitle(QStringLiteral("ORVANE Calibrix User Manual"));
  pdf.setCreator(QStringLiteral("ORVANE Calibrix"));
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
  document.print(&pdf);
  return 0;
}
