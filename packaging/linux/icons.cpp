// Writes the program's icon as PNG files for the hicolor icon theme, one
// per size: OUTDIR/<n>x<n>/apps/kelvory.png. Each is scaled from the
// 32 x 32 picture by nearest neighbour, so its pixels stay crisp.
//
// usage: kelvory-icons OUTDIR SIZE...
#include <QDir>
#include <QImage>
#include <cstdio>
#include <string>

#include "assets/pictures.h"

namespace {

QImage Scaled(const kelvory::Bitmap& picture, int size) {
  QImage image(size, size, QImage::Format_RGB32);
  for (int y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < size; ++x) {
      row[x] = 0xFF000000u |
               (picture.at(x * picture.width / size, y * picture.height / size) & 0xFFFFFFu);
    }
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: kelvory-icons OUTDIR SIZE...\n", stderr);
    return 2;
  }
  const kelvory::Bitmap& picture = kelvory::assets::icon();
  for (int i = 2; i < argc; ++i) {
    const int size = std::stoi(argv[i]);
    const QString folder =
        QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
    if (size <= 0 || !QDir().mkpath(folder) ||
        !Scaled(picture, size).save(folder + "/kelvory.png", "PNG")) {
      std::fprintf(stderr, "kelvory-icons: cannot write %s/kelvory.png\n", qPrintable(folder));
      return 1;
    }
  }
  return 0;
}
