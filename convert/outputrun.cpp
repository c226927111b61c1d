#include "outputrun.h"

#include "fan.h"
#include "fandatafile.h"
#include "frontfanblending.h"
#include "panel.h"
#include "sampling.h"

#include <QDataStream>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QImage>

namespace {

QString describe(const QFile& file)
{
    return QDir::toNativeSeparators(file.fileName());
}

// Writes all of `data`; returns false if the device took less.
bool writeAll(QFile& file, const QByteArray& data)
{
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 n = file.write(data.constData() + written, data.size() - written);
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

} // namespace

OutputRun::~OutputRun()
{
    close();
}

bool OutputRun::open(const QString& outputPath, Panel* panel)
{
    close();
    m_failed = false;
    m_error.clear();
    if (!panel) {
        m_error = QStringLiteral("No panel to write");
        return false;
    }

    const int fanCount = panel->fans.size();
    for (int i = 0; i < fanCount; ++i) {
        Fan* fan = panel->fans.at(i);
        auto* file = new QFile(fanDataFileName(outputPath, i, fanCount));
        // Unbuffered: a failed write shows at once, not at some later flush, so every frame
        // record is known to be on disk or known to be cut back.
        if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            m_error =
                QStringLiteral("Cannot open %1: %2").arg(describe(*file), file->errorString());
            delete file;
            close();
            return false;
        }
        fan->file = file;
        fan->stream = new QDataStream(file);
        m_fans.append(fan);
        m_wholeRecords.append(0);
    }
    m_panel = panel;
    return true;
}

bool OutputRun::convertFrame(const QImage& frame)
{
    if (!m_panel) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("No output run is open");
        return false;
    }
    if (m_failed)
        return false;

    LayerImages layers = buildLayerImages(frame, *m_panel);
    paintFrontFanBlending(layers.frameImage_z0, layers.frameImage_z1, *m_panel);
    qDebug() << "frameImage_z0->bytesPerLine()" << layers.frameImage_z0.bytesPerLine()
             << "frameImage_z1->size()" << layers.frameImage_z1.size();
    return writeRecords(layers.frameImage_z0, layers.frameImage_z1);
}

bool OutputRun::writeRecords(const QImage& frameImage_z0, const QImage& frameImage_z1)
{
    // Each record is built whole in memory and written with one call; the sizes are
    // committed only once every fan has its record, so a failure leaves all files alike.
    QVector<qint64> recordSizes;
    for (int i = 0; i < m_fans.size(); ++i) {
        const Fan* fan = m_fans.at(i);
        // Both layer images have the same size and row length.
        const QImage& source = fan->z == 0 ? frameImage_z0 : frameImage_z1;
        const QByteArray record = fanFrameRecord(source, *fan);
        if (!writeAll(*fan->file, record)) {
            m_error = QStringLiteral("Cannot write %1: %2")
                          .arg(describe(*fan->file), fan->file->errorString());
            m_failed = true;
            cutBackToLastFrame();
            return false;
        }
        recordSizes.append(record.size());
    }
    for (int i = 0; i < m_fans.size(); ++i)
        m_wholeRecords[i] += recordSizes.at(i);
    return true;
}

void OutputRun::cutBackToLastFrame()
{
    for (int i = 0; i < m_fans.size(); ++i) {
        QFile* file = m_fans.at(i)->file;
        if (file->size() != m_wholeRecords.at(i) && !file->resize(m_wholeRecords.at(i)))
            qWarning() << "Cannot cut" << describe(*file) << "back:" << file->errorString();
    }
}

void OutputRun::close()
{
    for (Fan* fan : qAsConst(m_fans)) {
        fan->file->close();
        delete fan->stream;
        delete fan->file;
        fan->stream = nullptr;
        fan->file = nullptr;
    }
    m_fans.clear();
    m_wholeRecords.clear();
    m_panel = nullptr;
}
