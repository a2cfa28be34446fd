#include "PngPicture.h"

#include "ComApartment.h"
#include "TopDownDib.h"
#include "platform/ComPointer.h"

#include <wincodec.h>

namespace vespern::ui {

namespace {

ComPointer<IWICBitmapSource> decode(IWICImagingFactory& factory, const ResourceBytes& png)
{
    ComPointer<IWICStream> stream;
    ComPointer<IWICBitmapDecoder> decoder;
    ComPointer<IWICBitmapFrameDecode> frame;
    ComPointer<IWICFormatConverter> converter;
    auto* bytes = static_cast<BYTE*>(const_cast<void*>(png.data));
    if (FAILED(factory.CreateStream(stream.out())) || FAILED(stream->InitializeFromMemory(bytes, png.size))
        || FAILED(factory.CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad, decoder.out()))
        || FAILED(decoder->GetFrame(0, frame.out())) || FAILED(factory.CreateFormatConverter(converter.out()))
        || FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
            0.0, WICBitmapPaletteTypeCustom)))
        return {};
    ComPointer<IWICBitmapSource> source;
    converter->QueryInterface(IID_IWICBitmapSource, reinterpret_cast<void**>(source.out()));
    return source;
}

} // namespace

Picture PngPicture(int id)
{
    const ResourceBytes png = RcDataResource(id);
    if (png.data == nullptr)
        return {};
    const ComApartment apartment;
    ComPointer<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
            reinterpret_cast<void**>(factory.out()))))
        return {};
    const ComPointer<IWICBitmapSource> source = decode(*factory.get(), png);
    UINT width = 0;
    UINT height = 0;
    if (!source || FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0)
        return {};
    void* bits = nullptr;
    Picture picture(CreateTopDownDibSection(static_cast<int>(width), static_cast<int>(height), &bits),
        static_cast<int>(width), static_cast<int>(height));
    if (!picture)
        return {};
    const UINT stride = width * 4;
    if (FAILED(source->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
        return {};
    return picture;
}

} // namespace vespern::ui
