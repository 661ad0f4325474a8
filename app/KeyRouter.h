#pragma once
// TKeyRouter: the window's keyboard routing, an event filter on the whole application that sees
// every key press before its widget does: the form's key handler first (TForm1::FormKeyDown),
// then the address box's (TForm1::ComboBox1KeyDown) for keys aimed at the box.
//
//   Alt+D anywhere in the window (a window control or the page): the address box becomes the
//   active control; the key is consumed.
//   In the address box: Enter runs Go and goes on to the box; Tab moves the focus into the page
//   and is consumed, so that Qt's focus chain does not move it on.
//   Tab, Backspace and the arrow keys inside the page, and every other key: delivered unchanged.
//   Qt already does what the original message rules asked of the platform: focus movement
//   between window controls, and the page's own accelerators inside the engine's view, which
//   never turns Backspace into Back.

#include <QObject>

class TForm1;

class TKeyRouter final : public QObject {
    Q_OBJECT
public:
    explicit TKeyRouter(TForm1 &form);
    TKeyRouter(const TKeyRouter &) = delete;
    TKeyRouter &operator=(const TKeyRouter &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TForm1 &FForm;
};
