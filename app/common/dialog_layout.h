// Building a window from its template: each control sits at its template rectangle (dialog
// units of the window's font) and carries the names the rest of the program finds it by.
#pragma once

#include <QString>

class QWidget;

namespace zentrip {

// Gives the window the dialog font and fixes its client area at width x height dialog units.
void SetDialogSize(QWidget* window, int width, int height);

// Puts control at the template rectangle x, y, width, height, which counts from the window's
// top-left corner also when the control sits inside a group box (place the group first).
void PlaceControl(QWidget* control, int x, int y, int width, int height);

// Object name ControlName(id), so tests and other windows find the control by its template
// id, and text as its accessible name (its caption, or what it holds for a control without one).
void NameControl(QWidget* control, int id, const QString& text);
QString ControlName(int id);  // "id<id>"

}  // namespace zentrip
