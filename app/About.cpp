#include "app/About.h"

#include "app/Images.h"
#include "app/LayoutCalc.h"
#include "common/DesignFont.h"

#include <QLabel>

namespace {

// Outer size as designed; the client size follows from the design frame.
constexpr int AboutWidth = 409;
constexpr int AboutHeight = 279;

// Serif and monospace faces that look like the ones the box was drawn with; the
// first one installed wins, and the style hint covers a system with none of them.
QFont productFont(const TDesignScale& scale)
{
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Nimbus Roman"),
        QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")});
    font.setStyleHint(QFont::Serif);
    font.setBold(true);
    font.setPixelSize(scale(48));
    return font;
}

QFont taglineFont(const TDesignScale& scale)
{
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Nimbus Mono PS"),
        QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setBold(true);
    font.setPixelSize(scale(19));
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, const TDesignScale& scale)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(scale(geometry));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// The boxes were sized for the original faces; a stand-in face can be a few pixels
// wider (19-pixel Courier New advances 11 pixels a character, its metric twins 11.4) or
// have a taller line, so a box grows to its text rather than cut letters off.
void growToText(QLabel* label)
{
    label->resize(label->size().expandedTo(label->sizeHint()));
}

QColor productColour(const QColor& background)
{
    // Maroon is nearly invisible on a dark window; there the line takes a light red of the
    // same hue, which reads like maroon does on a light one.
    const QColor maroon(0x80, 0x00, 0x00);
    return background.lightness() < 128 ? QColor(0xf0, 0x80, 0x80) : maroon;
}

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Pastewise"));
    // The whole box, its faces and its picture grow with the desktop's font like the other
    // windows, so it keeps its proportions next to them.
    const TDesignScale scale = DesignScaleOf(font());
    const QSize client
        = scale(QSize(Design::ClientWidthFromOuter(AboutWidth), Design::ClientHeightFromOuter(AboutHeight)));
    resize(client);
    m_outerSize
        = QSize(Design::OuterWidthFromClient(client.width()), Design::OuterHeightFromClient(client.height()));

    imgIcon = makeLabel(this, "imgIcon", QRect(38, 84, 32, 32), scale);
    imgIcon->setPixmap(AppIcon().pixmap(scale(QSize(32, 32))));

    lblProduct = makeLabel(this, "lblProduct", QRect(79, 72, 276, 55), scale);
    lblProduct->setFont(productFont(scale));
    QPalette maroon = lblProduct->palette();
    maroon.setColor(QPalette::WindowText, productColour(palette().color(QPalette::Window)));
    lblProduct->setPalette(maroon);
    lblProduct->setText(QStringLiteral("Pastewise " PW_VERSION));
    growToText(lblProduct);

    // A label without a buddy shows its text literally, so the single ampersand
    // here is what the user sees.
    lblTagline = makeLabel(this, "lblTagline", QRect(147, 128, 187, 22), scale);
    lblTagline->setFont(taglineFont(scale));
    lblTagline->setText(QStringLiteral("Click & Paste It!"));
    growToText(lblTagline);

    if (parent != nullptr)
        centreOver(parent->window());
}

void TfrmAbout::centreOver(const QWidget* owner)
{
    // Both sizes by the design frame rule, so the box lands in the same place under
    // any window manager; moving it also stops QDialog re-centring it on show.
    const QRect ownerFrame = owner->frameGeometry();
    const int ownerWidth = Design::OuterWidthFromClient(owner->width());
    const int ownerHeight = Design::OuterHeightFromClient(owner->height());
    move(ownerFrame.left() + (ownerWidth - m_outerSize.width()) / 2,
        ownerFrame.top() + (ownerHeight - m_outerSize.height()) / 2);
}
