// The icon set on disk: the directory with its parents, then each PNG written atomically.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QBuffer>
#include <QImageWriter>

#include "ui/views/AppIconRenderer.h"

namespace orvane {

namespace {

// Into a fresh file beside the target, flushed to disk, then renamed over it, so a reader
// never sees half a PNG. The reason on failure, absent on success.
std::optional<std::string> writeAtomically(const std::filesystem::path& file, const QByteArray& data) {
    std::string temporary = file.parent_path() / ("." + file.filename().string() + ".XXXXXX");
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return std::strerror(errno);
    const auto fail = [&](int error) -> std::optional<std::string> {
        ::close(fd);
        ::unlink(temporary.c_str());
        return std::strerror(error);
    };
    for (qsizetype written = 0; written < data.size();) {
        const ssize_t n = ::write(fd, data.constData() + written, static_cast<std::size_t>(data.size() - written));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno);
        written += n;
    }
    // mkstemp makes the file private; an icon is for everyone to read.
    if (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return std::strerror(error);
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return std::strerror(error);
    }
    return std::nullopt;
}

}  // namespace

std::optional<QByteArray> AppIconRenderer::encodePng(const QImage& image) {
    if (image.isNull()) return std::nullopt;
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Straight alpha, so the file is 8-bit RGBA.
    if (!writer.write(image.convertToFormat(QImage::Format_ARGB32)) || data.isEmpty()) return std::nullopt;
    return data;
}

std::optional<AppIconRenderer::Error> AppIconRenderer::renderIconset(const std::filesystem::path& directory,
                                                                     const Encoder& encode, const Drawer& draw) {
    if (directory.empty()) return Error{"no directory given"};
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    // A file of that name already there is no directory to write into.
    if (!error && !std::filesystem::is_directory(directory, error) && !error)
        error = std::make_error_code(std::errc::not_a_directory);
    if (error) return Error{"cannot create " + directory.string() + ": " + error.message()};

    for (const auto& row : iconset) {
        const auto file = directory / ("icon_" + std::string(row.name) + ".png");
        const QImage bitmap = draw(row.pixels);
        if (bitmap.isNull())
            return Error{"cannot write " + file.string() + ": cannot make a bitmap of " + std::to_string(row.pixels) +
                         "x" + std::to_string(row.pixels) + " pixels"};
        const auto data = encode(bitmap);
        if (!data) return Error{"cannot encode " + file.string() + " as PNG"};
        if (const auto reason = writeAtomically(file, *data))
            return Error{"cannot write " + file.string() + ": " + *reason};
    }
    return std::nullopt;
}

int AppIconRenderer::renderIconsetCommand(const std::filesystem::path& directory, const Encoder& encode,
                                          const Drawer& draw) {
    const auto error = renderIconset(directory, encode, draw);
    if (!error) return 0;
    const std::string line = "render-icon failed: " + error->description() + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return 1;
}

}  // namespace orvane
