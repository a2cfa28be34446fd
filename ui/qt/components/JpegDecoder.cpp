#include "JpegDecoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace vespern::ui {

namespace {

// libjpeg reports fatal errors through a callback that must not return: it jumps back to the
// decoder, which then gives up with the message.
struct ErrorManager {
    jpeg_error_mgr base {};
    std::jmp_buf jump {};
    char message[JMSG_LENGTH_MAX] {};
};

void onFatalError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void ignoreMessage(j_common_ptr) { }

// Owns the decompressor from creation to destruction, whichever way decoding ends.
class Decompressor {
public:
    explicit Decompressor(ErrorManager& errors)
    {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = onFatalError;
        errors.base.output_message = ignoreMessage;
        jpeg_create_decompress(&info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct info {};
};

// Runs the steps that may jump: nothing with a destructor lives in this frame.
bool decode(Decompressor& decompressor, ErrorManager& errors, std::span<const std::uint8_t> data, RgbImage& image)
{
    if (setjmp(errors.jump) != 0)
        return false;
    auto& info = decompressor.info;
    jpeg_mem_src(&info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    const std::size_t stride = std::size_t { info.output_width } * 3;
    image.pixels.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.pixels.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

RgbImage DecodeJpeg(std::span<const std::uint8_t> data, std::string& error)
{
    RgbImage image;
    if (data.empty()) {
        error = "empty JPEG data";
        return image;
    }
    ErrorManager errors;
    Decompressor decompressor(errors);
    if (!decode(decompressor, errors, data, image)) {
        error = errors.message;
        return {};
    }
    return image;
}

} // namespace vespern::ui
