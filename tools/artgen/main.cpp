// artgen: draws every bitmap of the QVGA and VGA sets from the bitmap table.
//
//   artgen --out resources/bitmaps --manifest resources/bitmaps/bitmaps.tsv
//          [--sheet docs/bitmaps.png]
//
// Writes <out>/qvga/<id>.png and <out>/vga/<id>.png for every id the set
// carries; the same table always gives the same files.

#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QString>
#include <cstdio>

#include "tools/artgen/artwork.h"
#include "tools/artgen/contact_sheet.h"
#include "platform/artwork/manifest.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: artgen --out DIR --manifest FILE [--sheet FILE]\n");
  return 2;
}

bool SavePng(const QImage& image, const QString& path) {
  QImageWriter writer(path, "png");
  if (writer.write(image)) return true;
  std::fprintf(stderr, "artgen: %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Text on the contact sheet needs the font database, not a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  QString outDir, manifestPath, sheetPath;
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (i + 1 >= args.size()) return Usage();
    if (args[i] == "--out")
      outDir = args[++i];
    else if (args[i] == "--manifest")
      manifestPath = args[++i];
    else if (args[i] == "--sheet")
      sheetPath = args[++i];
    else
      return Usage();
  }
  if (outDir.isEmpty() || manifestPath.isEmpty()) return Usage();

  QString error;
  const auto entries = cw::artwork::ReadManifest(manifestPath, &error);
  if (!entries) {
    std::fprintf(stderr, "artgen: %s\n", qPrintable(error));
    return 1;
  }

  using cw::artwork::BitmapSet;
  cw::artwork::BitmapsById drawn[2];
  int failures = 0;
  for (const BitmapSet set : {BitmapSet::Qvga, BitmapSet::Vga}) {
    const QString folder = outDir + "/" + cw::artwork::SetFolderName(set);
    if (!QDir().mkpath(folder)) {
      std::fprintf(stderr, "artgen: cannot create %s\n", qPrintable(folder));
      return 1;
    }
    for (const auto& entry : *entries) {
      const QSize size = cw::artwork::SizeIn(entry, set);
      if (size.isEmpty()) continue;
      const auto image = cw::artwork::DrawArtwork(entry.name, size, set);
      if (!image) {
        std::fprintf(stderr, "artgen: no artwork for %d %s\n", entry.id, qPrintable(entry.name));
        ++failures;
        continue;
      }
      if (!SavePng(*image, QString("%1/%2.png").arg(folder).arg(entry.id))) ++failures;
      drawn[set == BitmapSet::Qvga ? 0 : 1][entry.id] = *image;
    }
  }
  if (!sheetPath.isEmpty() &&
      !SavePng(cw::artwork::BuildContactSheet(*entries, drawn[0], drawn[1]), sheetPath)) {
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}
