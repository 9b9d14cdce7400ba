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
    // Press and release of the left button where the pointer is.
    void Click();
    // The left button alone, for a drag.
    void Press();
    void Release();
    // Presses the keys in order and releases them in reverse, e.g. {"Control_L", "s"}; the
    // names are X key symbol names.
    void Keys(std::initializer_list<const char *> keysyms);

private:
    void *display_;
};
