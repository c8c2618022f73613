#include "Ad/RenderEngine/Video/AdCloseButton.h"

#include "Platform/UI/GraphicsContext.h"

namespace solen {

void AdCloseButton::draw(platform::Rect rect) {
    platform::GraphicsContext* const context = platform::GraphicsContext::current();
    if (!graphics_ || !context) {
        return;
    }
    const double width = rect.size.width;
    const double height = rect.size.height;
    const platform::Rect glyph{0.25 * width, 0.25 * height, 0.5 * width, 0.5 * height};
    const double h = glyph.size.height;
    context->setFillColor(platform::Color::white());
    context->fillEllipse(glyph);

    // The ring's width follows the glyph's height on both axes.
    const platform::Rect inner{glyph.origin.x + h / 10, glyph.origin.y + h / 10, glyph.size.width - h / 5, glyph.size.height - h / 5};
    context->setFillColor(platform::Color::black());
    context->fillEllipse(inner);

    const double x2 = inner.origin.x, y2 = inner.origin.y, w2 = inner.size.width, h2 = inner.size.height;
    const double inset = 0.25 * h2;
    context->setStrokeColor(platform::Color::white());
    context->setLineWidth(h2 / 25 * 3);
    context->moveTo({x2 + inset, y2 + inset});
    context->addLineTo({x2 + w2 - inset, y2 + h2 - inset});
    context->moveTo({x2 + w2 - inset, y2 + inset});
    context->addLineTo({x2 + inset, y2 + h2 - inset});
    context->strokePath();
}

}  // namespace solen
