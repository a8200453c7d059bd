#include "platform/canvas/PictureFile.h"

#include "platform/system/Files.h"

#include <QFile>
#include <QImageReader>

namespace qorprt {

Expected<QImage> ReadPictureFile(const std::string& name, const char* format) {
    Expected<UniqueFd> fd = OpenRegularFile(name);
    if (!fd) return fd.failure();
    QFile file;
    if (!file.open(fd->Get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return Fail(file.errorString().toStdString());
    // The file owns the descriptor now.
    (void)fd->Release();
    QImageReader reader(&file, format ? QByteArray(format) : QByteArray());
    reader.setAllocationLimit(kPictureAllocationLimitMb);
    QImage image;
    if (!reader.read(&image)) return Fail(reader.errorString().toStdString());
    return image;
}

} // namespace qorprt
