#pragma once
// The windows' design numbers hold exactly at a font no larger than the one they were drawn
// for. Suites that check those numbers run at such a font and make sure it is one.

#include "common/DesignFont.h"

#include <QApplication>
#include <QTest>

inline void UseDesignSizedFont()
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(9);
    QApplication::setFont(font);
    QCOMPARE(DesignScaleOf(QApplication::font()).Factor(), 1.0);
}
