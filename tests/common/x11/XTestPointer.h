#pragma once
// Real pointer input through the X server's test extension, as a user's hand gives it.
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

private:
    void *display_;
};
