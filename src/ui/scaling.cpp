#include "ui/scaling.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace gang {

int Mul_Div_Round(int value, int n, int d)
{
    int64_t p = static_cast<int64_t>(value) * n;
    int64_t q = d;
    if (q < 0) {
        p = -p;
        q = -q;
    }
    const int64_t half = q / 2;
    const int64_t r = p >= 0 ? (p + half) / q : -((-p + half) / q);
    return static_cast<int>(r);
}

TBounds Scale_Bounds(const TBounds& b, int n, int d)
{
    const int left = Mul_Div_Round(b.Left, n, d);
    const int top = Mul_Div_Round(b.Top, n, d);
    const int right = Mul_Div_Round(b.Right(), n, d);
    const int bottom = Mul_Div_Round(b.Bottom(), n, d);
    return {left, top, right - left, bottom - top};
}

int Edit_Field_Height(int font_px)
{
    return font_px + 11;
}

namespace {

int Font_Px(const QFont& f)
{
    return f.pixelSize() > 0 ? f.pixelSize() : f.pointSize();
}

QFont Scaled_Font(QFont f, int n, int d)
{
    const int px = Mul_Div_Round(Font_Px(f), n, d);
    f.setPixelSize(px < 1 ? 1 : px);
    return f;
}

// A list's rows grow and shrink with its font.
void Scale_Rows(QListWidget& list, int n, int d)
{
    for (int row = 0; row < list.count(); ++row) {
        QListWidgetItem* item = list.item(row);
        const QSize hint = item->sizeHint();
        item->setSizeHint(QSize(hint.width(), Mul_Div_Round(hint.height(), n, d)));
    }
    list.doItemsLayout();
}

} // namespace

void Fit_Caption_Width(QWidget& label)
{
    const QVariant floor = label.property(Min_Width_Property);
    auto* text = qobject_cast<QLabel*>(&label);
    if (!floor.isValid() || !text)
        return;
    const int width = std::max(floor.toInt(), text->sizeHint().width());
    if (width != text->width())
        text->resize(width, text->height());
}

void Apply_Scale(QWidget& form, int n, int d)
{
    form.setFont(Scaled_Font(form.font(), n, d));
    for (QObject* object : form.children()) {
        auto* w = qobject_cast<QWidget*>(object);
        if (!w || w->isWindow())
            continue;
        const QRect g = w->geometry();
        TBounds b = Scale_Bounds({g.x(), g.y(), g.width(), g.height()}, n, d);
        const int old_px = Font_Px(w->font());
        const QFont f = Scaled_Font(w->font(), n, d);
        w->setFont(f);
        if (auto* list = qobject_cast<QListWidget*>(w))
            Scale_Rows(*list, f.pixelSize(), old_px);
        if (qobject_cast<QLineEdit*>(w))
            b.Height = Edit_Field_Height(f.pixelSize());
        w->setGeometry(b.Left, b.Top, b.Width, b.Height);
        const QVariant floor = w->property(Min_Width_Property);
        if (floor.isValid()) {
            const int right = Mul_Div_Round(g.x() + floor.toInt(), n, d);
            w->setProperty(Min_Width_Property, right - b.Left);
            w->resize(right - b.Left, b.Height);
            Fit_Caption_Width(*w);
        }
    }
}

} // namespace gang
