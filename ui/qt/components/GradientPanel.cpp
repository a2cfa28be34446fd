#include "GradientPanel.h"

#include "WindowFont.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

namespace vespern::ui {

namespace {

QString toQString(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Source over destination, with a premultiplied source.
TColor blend(QRgb source, TColor destination)
{
    const int alpha = qAlpha(source);
    auto mix = [alpha](int top, int bottom) { return top + bottom * (255 - alpha) / 255; };
    const int red = mix(qRed(source), static_cast<int>(destination >> 16 & 0xFF));
    const int green = mix(qGreen(source), static_cast<int>(destination >> 8 & 0xFF));
    const int blue = mix(qBlue(source), static_cast<int>(destination & 0xFF));
    return static_cast<TColor>(red << 16 | green << 8 | blue);
}

} // namespace

QFont ToQFont(const TFont& font)
{
    QFont result(WindowFontFamilyFor(toQString(font.Name)));
    result.setPixelSize(font.Height > 0 ? font.Height : 1);
    result.setBold(font.Bold);
    return result;
}

int QtTextRenderer::TextWidth(const TFont& font, const std::string& text)
{
    return QFontMetrics(ToQFont(font)).horizontalAdvance(toQString(text));
}

int QtTextRenderer::TextHeight(const TFont& font, const std::string&)
{
    return QFontMetrics(ToQFont(font)).height();
}

void QtTextRenderer::TextOut(PixelBuffer& target, const TFont& font, int x, int y, const std::string& text)
{
    const QFont qfont = ToQFont(font);
    const QFontMetrics metrics(qfont);
    const QString string = toQString(text);
    const QRect bounds = metrics.boundingRect(string).united(QRect(0, -metrics.ascent(), 1, metrics.height()));
    if (bounds.isEmpty())
        return;
    QImage glyphs(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    glyphs.fill(Qt::transparent);
    {
        QPainter painter(&glyphs);
        painter.setFont(qfont);
        painter.setPen(QColor::fromRgb(static_cast<QRgb>(font.Color)));
        painter.drawText(-bounds.left(), -bounds.top(), string);
    }
    // The cell's top is y, so the baseline lies one ascent below it.
    const int originX = x + bounds.left();
    const int originY = y + metrics.ascent() + bounds.top();
    for (int row = 0; row < glyphs.height(); ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(glyphs.constScanLine(row));
        for (int column = 0; column < glyphs.width(); ++column) {
            if (qAlpha(line[column]) == 0)
                continue;
            const int px = originX + column;
            const int py = originY + row;
            target.SetPixel(px, py, blend(line[column], target.Pixel(px, py)));
        }
    }
}

TGradientPanel::TGradientPanel(vespern::TGradientPanel& model, QWidget* parent)
    : QWidget(parent)
    , model_(model)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    model_.OnInvalidate = [this] { update(); };
    painted_ = model_.PaintedProperties();
    setGeometry(model_.Left, model_.Top, model_.Width, model_.Height);
}

TGradientPanel::~TGradientPanel()
{
    model_.OnInvalidate = nullptr;
}

// Runs after every event, the monitor ticks included: an unchanged panel is not painted again.
void TGradientPanel::Refresh()
{
    const QRect place(model_.Left, model_.Top, model_.Width, model_.Height);
    if (geometry() != place)
        setGeometry(place);
    const auto now = model_.PaintedProperties();
    if (now == painted_)
        return;
    painted_ = now;
    update();
}

void TGradientPanel::paintEvent(QPaintEvent*)
{
    const PixelBuffer canvas = model_.Paint(text_);
    if (canvas.Width() == 0 || canvas.Height() == 0)
        return;
    QImage image(canvas.Width(), canvas.Height(), QImage::Format_RGB32);
    const auto pixels = canvas.Pixels();
    for (int y = 0; y < canvas.Height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < canvas.Width(); ++x)
            line[x] = 0xFF000000u
                | pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.Width())
                    + static_cast<std::size_t>(x)];
    }
    QPainter(this).drawImage(0, 0, image);
}

} // namespace vespern::ui
