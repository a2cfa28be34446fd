#include "JpegPicture.h"

#include "ComApartment.h"
#include "platform/ComPointer.h"

#include <cstring>
#include <olectl.h>

namespace vespern::ui {

namespace {

// A stream over a copy of the bytes, which it frees when released.
ComPointer<IStream> streamOf(const ResourceBytes& bytes)
{
    ComPointer<IStream> stream;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size);
    if (memory == nullptr)
        return stream;
    void* target = ::GlobalLock(memory);
    if (target != nullptr)
        std::memcpy(target, bytes.data, bytes.size);
    ::GlobalUnlock(memory);
    if (target == nullptr || FAILED(::CreateStreamOnHGlobal(memory, TRUE, stream.out())))
        ::GlobalFree(memory);
    return stream;
}

// A device-independent copy of the picture's bitmap: the picture object owns its own handle and
// frees it when released.
HBITMAP copyOf(HBITMAP bitmap)
{
    return static_cast<HBITMAP>(::CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

} // namespace

Picture JpegPicture(int id)
{
    const ResourceBytes jpeg = RcDataResource(id);
    if (jpeg.data == nullptr)
        return {};
    const ComApartment apartment;
    ComPointer<IStream> stream = streamOf(jpeg);
    ComPointer<IPicture> picture;
    if (!stream
        || FAILED(::OleLoadPicture(
            stream.get(), static_cast<LONG>(jpeg.size), FALSE, IID_IPicture, reinterpret_cast<void**>(picture.out()))))
        return {};
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP || FAILED(picture->get_Handle(&handle)))
        return {};
    HBITMAP bitmap = copyOf(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)));
    BITMAP size {};
    if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof size, &size) == 0) {
        if (bitmap != nullptr)
            ::DeleteObject(bitmap);
        return {};
    }
    return Picture(bitmap, size.bmWidth, size.bmHeight);
}

} // namespace vespern::ui
