#pragma once

#include <QColor>

// The colours of the main window's taxpayer table. The window records the chosen pair
// (tableColor, tableTextColor) and paints the table with them only when asked to.
class TableColors {
public:
    virtual ~TableColors() = default;
    virtual QColor tableColor() const = 0;
    virtual QColor tableTextColor() const = 0;
    // Records the pair; the table keeps its present colours.
    virtual void setTableColors(const QColor& background, const QColor& text) = 0;
    // Records the pair and paints the table with it.
    virtual void applyTableColors(const QColor& background, const QColor& text) = 0;
};
