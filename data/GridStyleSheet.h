#pragma once

#include <QString>
#include <QtGlobal>

// Colours (0xRRGGBB) and fonts of the invoice grid ("DevExpress" style sheet).
struct GridStyleSheet
{
    QString caption = QStringLiteral("DevExpress");
    quint32 background = 0xFFFBF0;
    quint32 content = 0xD9EAF7;
    quint32 contentText = 0x000000;
    quint32 evenRows = 0xD9EAF7;
    quint32 oddRows = 0xEAF3FB;
    quint32 filterBox = 0xFFFFE1;
    quint32 incSearch = 0xFED547;
    quint32 footer = 0xFFFFE1;
    quint32 footerText = 0x000080;
    quint32 groupRows = 0xF1EFE2;
    quint32 groupByBox = 0xFED547;
    quint32 header = 0x316AC5;
    quint32 headerText = 0xFFFFFF;
    quint32 inactiveSelection = 0xA4C4EB;
    quint32 indicator = 0xA4C4EB;
    quint32 preview = 0xFFFFE1;
    quint32 selection = 0x316AC5;
    quint32 selectionText = 0xFFFFFF;
    QString fontFamily = QStringLiteral("MS Sans Serif");
    int fontPointSize = 8;
};
