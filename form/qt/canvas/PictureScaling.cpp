// SPDX-License-Identifier: MIT
#include "canvas/PictureScaling.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QSaveFile>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "AtomicFile.h"
#include "Picture.h"
#include "TextEncoding.h"
#include "canvas/QtPicture.h"

namespace orbelle::formqt {

QSize scaledSize(int width, int height, int longSide)
{
    const form::PixelSize s = form::scaledToLongSide(width, height, longSide);
    return {s.width, s.height};
}

namespace {

QString sizeText(QSize size)
{
    return QStringLiteral("%1 × %2 ピクセル").arg(size.width()).arg(size.height());
}

} // namespace

std::optional<int> askScaledSize(QWidget *parent, int width, int height, int proposed)
{
    const int longest = std::max(width, height);
    if (longest <= 0)
        return std::nullopt;
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("画像を縮小"));
    dialog.setObjectName(QStringLiteral("ScaleDialog"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("元の大きさ:"), new QLabel(sizeText(QSize(width, height))));
    auto *side = new QSpinBox;
    side->setObjectName(QStringLiteral("LongSide"));
    side->setRange(1, longest);
    side->setValue(std::clamp(proposed, 1, longest));
    side->setSuffix(QStringLiteral(" ピクセル"));
    form->addRow(QStringLiteral("長い辺:"), side);
    auto *result = new QLabel(sizeText(scaledSize(width, height, side->value())));
    result->setObjectName(QStringLiteral("NewSize"));
    form->addRow(QStringLiteral("新しい大きさ:"), result);
    QObject::connect(side, &QSpinBox::valueChanged, result,
                     [=](int v) { result->setText(sizeText(scaledSize(width, height, v))); });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(buttons);
    side->selectAll();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return side->value();
}

QImage scaledByArea(const QImage &image, QSize size)
{
    // Qt's smooth scaling averages every source pixel a new pixel covers
    // when it shrinks a 32-bit picture.
    QImage source = image;
    if (source.format() != QImage::Format_RGB32 && source.format() != QImage::Format_ARGB32_Premultiplied)
        source = source.convertToFormat(source.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                 : QImage::Format_RGB32);
    return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

bool writeScaledPicture(const std::string &source, const std::string &target, QSize size)
{
    const auto bytes = readWholeFile(pathFromUtf8(source));
    if (!bytes || size.isEmpty())
        return false;
    const QByteArray encoded(bytes->data(), qsizetype(bytes->size()));
    const QImage picture = decodePicture(encoded, QFileInfo(QString::fromStdString(source)).suffix().toLower().toLatin1());
    if (picture.isNull())
        return false;
    const QImage scaled = scaledByArea(picture, size);
    const QString suffix = QFileInfo(QString::fromStdString(target)).suffix().toLower();
    const bool jpeg = suffix == QStringLiteral("jpg") || suffix == QStringLiteral("jpeg");
    QSaveFile file(QString::fromStdString(target));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!scaled.save(&file, jpeg ? "JPG" : "PNG", jpeg ? 92 : -1)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace orbelle::formqt
