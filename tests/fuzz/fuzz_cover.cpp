// The cover decoder path on arbitrary bytes: what a file, a download or a
// paste gives goes through CoverPicture::prepare(), a stored picture through
// CoverPicture::decode(). Neither may crash or allocate past its bound (run
// with -malloc_limit_mb), and a picture that is taken must show again.
#include "collection/CoverPicture.h"

#include <QCoreApplication>
#include <cstdlib>

using quelto::collection::CoverPicture;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The image plugins (WebP) are found through the application's paths.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString problem;
    const std::optional<CoverPicture> picture = CoverPicture::prepare(bytes, &problem);
    if (!picture && problem.isEmpty())
        std::abort(); // a refusal always says why
    if (picture) {
        const QImage shown = CoverPicture::decode(picture->bytes());
        if (shown.isNull() || shown.size() != picture->size())
            std::abort();
    }
    // Stored bytes, however they came into the file, shown as a thumbnail.
    const QImage thumbnail = CoverPicture::decode(bytes, QSize(160, 240));
    if (!thumbnail.isNull() && (thumbnail.width() > 160 || thumbnail.height() > 240))
        std::abort();
    return 0;
}
