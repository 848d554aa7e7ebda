#include "base/PictureClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSvgGenerator>

#include "base/MessageSink.h"
#include "base/TempFile.h"

void PictureClipboard::Copy(const QSize& size, const QColor& background,
                            const std::function<void(QPaintDevice&)>& draw, const QString& title,
                            const QString& description) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(background);
  draw(image);
  QByteArray svg;
  {
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator gen;
    gen.setOutputDevice(&buffer);
    gen.setSize(size);
    gen.setViewBox(QRect(QPoint(0, 0), size));
    if (!title.isEmpty()) gen.setTitle(title);
    if (!description.isEmpty()) gen.setDescription(description);
    draw(gen);
  }
  const QString path = QDir(QString::fromStdString(nv::TemporaryDirectory())).filePath(QLatin1String(kFileName));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(svg) != svg.size())
    nv::ShowMessage("Can not write file: " + path.toStdString() + " (" + file.errorString().toStdString() + ")");
  file.close();
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) {
    nv::ShowMessage("Cannot open the Clipboard");
    return;
  }
  auto* mime = new QMimeData;
  mime->setImageData(image);
  if (!svg.isEmpty()) mime->setData(QStringLiteral("image/svg+xml"), svg);
  clipboard->clear();
  clipboard->setMimeData(mime);
}
