#pragma once
#include <initializer_list>

// Real pointer and key input through the X server's test extension, as a user's hand gives it.
class XTestPointer
{
public:
    XTestPointer();
    ~XTestPointer();
    XTestPointer(const XTestPointer &) = delete;
    XTestPointer &operator=(const XTestPointer &) = delete;

    bool Valid() const { return display_ != nullptr; }
    void MoveTo(int x, int y);
    // Press and release of the left button where the pointer is; the button alone, for a drag.
    void Click() { Button(true, true); }
    void Press() { Button(true, false); }
    void Release() { Button(false, true); }
    // Presses the keys in order and releases them in reverse, e.g. {"Control_L", "s"}; the
    // names are X key symbol names.
    void Keys(std::initializer_list<const char *> keysyms);

private:
    void Button(bool press, bool release);
    void *display_;
};
