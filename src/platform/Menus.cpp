#include "Menus.h"

#include "InputRouter.h"

#include <QKeyEvent>
#include <array>

namespace {

struct KeyName {
    WORD key;
    const char *name;
};

// Names of the keys that are neither letters nor digits, as menus show them.
constexpr std::array<KeyName, 43> kKeyNames{{
    {VK_BACK, "BkSp"},    {VK_TAB, "Tab"},       {VK_RETURN, "Enter"},   {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"},  {VK_PRIOR, "PgUp"},    {VK_NEXT, "PgDn"},      {VK_END, "End"},
    {VK_HOME, "Home"},    {VK_LEFT, "Left"},     {VK_UP, "Up"},          {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},    {VK_INSERT, "Ins"},    {VK_DELETE, "Del"},     {VK_PAUSE, "Pause"},
    {VK_SNAPSHOT, "Print Screen"},               {VK_APPS, "Menu"},
    {VK_NUMPAD0 + 0, "Num 0"}, {VK_NUMPAD0 + 1, "Num 1"}, {VK_NUMPAD0 + 2, "Num 2"},
    {VK_NUMPAD0 + 3, "Num 3"}, {VK_NUMPAD0 + 4, "Num 4"}, {VK_NUMPAD0 + 5, "Num 5"},
    {VK_NUMPAD0 + 6, "Num 6"}, {VK_NUMPAD0 + 7, "Num 7"}, {VK_NUMPAD0 + 8, "Num 8"},
    {VK_NUMPAD0 + 9, "Num 9"}, {VK_MULTIPLY, "Num *"},    {VK_ADD, "Num +"},
    {VK_SUBTRACT, "Num -"},    {VK_DECIMAL, "Num Del"},   {VK_DIVIDE, "Num /"},
    {VK_OEM_1, ";"},      {VK_OEM_PLUS, "="},    {VK_OEM_COMMA, ","},    {VK_OEM_MINUS, "-"},
    {VK_OEM_PERIOD, "."}, {VK_OEM_2, "/"},       {VK_OEM_3, "`"},        {VK_OEM_4, "["},
    {VK_OEM_5, "\\"},     {VK_OEM_6, "]"},
}};

QString KeyText(WORD key)
{
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        return QString(QChar(key));
    if (key >= VK_F1 && key <= VK_F24)
        return QStringLiteral("F%1").arg(key - VK_F1 + 1);
    if (key == VK_OEM_7)
        return QStringLiteral("'");
    for (const KeyName &k : kKeyNames)
        if (k.key == key)
            return QString::fromLatin1(k.name);
    return {};
}

WORD KeyFromText(const QString &text)
{
    if (text.size() == 1) {
        const QChar c = text.at(0).toUpper();
        if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
            return c.unicode();
    }
    if (text.size() >= 2 && text.at(0).toUpper() == u'F') {
        bool ok = false;
        const int n = text.mid(1).toInt(&ok);
        if (ok && n >= 1 && n <= 24)
            return WORD(VK_F1 + n - 1);
    }
    if (text == QLatin1String("'"))
        return VK_OEM_7;
    for (const KeyName &k : kKeyNames)
        if (text.compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            return k.key;
    return 0;
}

struct Modifier {
    TShortCut bit;
    const char *name;
};
constexpr std::array<Modifier, 3> kModifiers{{{scShift, "Shift+"}, {scCtrl, "Ctrl+"}, {scAlt, "Alt+"}}};

} // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift)
{
    if (Key & 0xFF00)
        return scNone;
    TShortCut sc = Key;
    if (Shift.Contains(ssShift))
        sc |= scShift;
    if (Shift.Contains(ssCtrl))
        sc |= scCtrl;
    if (Shift.Contains(ssAlt))
        sc |= scAlt;
    return sc;
}

TShortCut ShortCutFromMessage(const TMessage &Message)
{
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0)
        shift.Include(ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        shift.Include(ssCtrl);
    if (Message.LParam & (LPARAM(1) << 29))
        shift.Include(ssAlt);
    return ShortCut(WORD(Message.WParam), shift);
}

TShiftState ShortCutShift(TShortCut ShortCut)
{
    TShiftState shift;
    if (ShortCut & scShift)
        shift.Include(ssShift);
    if (ShortCut & scCtrl)
        shift.Include(ssCtrl);
    if (ShortCut & scAlt)
        shift.Include(ssAlt);
    return shift;
}

void ShortCutToKey(TShortCut ShortCut, WORD &Key, TShiftState &Shift)
{
    Key = WORD(ShortCut & 0xFF);
    Shift = ShortCutShift(ShortCut);
}

QString ShortCutToText(TShortCut ShortCut)
{
    const QString name = KeyText(WORD(ShortCut & 0xFF));
    if (name.isEmpty())
        return {};
    QString text;
    for (const Modifier &m : kModifiers)
        if (ShortCut & m.bit)
            text += QLatin1String(m.name);
    return text + name;
}

TShortCut TextToShortCut(const QString &Text)
{
    TShortCut shift = 0;
    int start = 0;
    // "Num +" and "Shift++" end with a "+" that belongs to the key name.
    for (;;) {
        bool found = false;
        for (const Modifier &m : kModifiers) {
            const QLatin1String name(m.name);
            if (Text.size() - start > name.size() &&
                QStringView(Text).mid(start, name.size()).compare(name, Qt::CaseInsensitive) == 0) {
                shift |= m.bit;
                start += name.size();
                found = true;
            }
        }
        if (!found)
            break;
    }
    const WORD key = KeyFromText(Text.mid(start));
    return key ? TShortCut(key | shift) : scNone;
}

TShortCut ShortCutFromKeyEvent(const QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta)
        return scNone;
    const WORD vk = WORD(VirtualKeyFromQt(key, event->modifiers().testFlag(Qt::KeypadModifier)));
    if (vk == 0)
        return scNone;
    return ShortCut(vk, ShiftStateFromQt(event->modifiers()));
}

namespace {

int QtKeyOfVirtualKey(WORD vk)
{
    // No key: Qt's keys that map to no virtual key would otherwise answer for it.
    if (vk == 0)
        return 0;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return vk;  // Qt::Key_A.. and Qt::Key_0.. are the ASCII codes
    if (vk >= VK_F1 && vk <= VK_F24)
        return Qt::Key_F1 + (vk - VK_F1);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return Qt::Key_0 + (vk - VK_NUMPAD0);
    switch (vk) {
    case VK_MULTIPLY: return Qt::Key_Asterisk;
    case VK_ADD: return Qt::Key_Plus;
    case VK_SUBTRACT: return Qt::Key_Minus;
    case VK_DECIMAL: return Qt::Key_Period;
    case VK_DIVIDE: return Qt::Key_Slash;
    default: break;
    }
    // The first Qt key that maps to it is the unshifted one.
    for (int k = Qt::Key_Space; k <= Qt::Key_AsciiTilde; ++k)
        if (VirtualKeyFromQt(k) == vk && !(k >= Qt::Key_0 && k <= Qt::Key_9))
            return k;
    static constexpr int kSpecial[] = {
        Qt::Key_Backspace, Qt::Key_Tab, Qt::Key_Return, Qt::Key_Escape, Qt::Key_PageUp,
        Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home, Qt::Key_Left, Qt::Key_Up, Qt::Key_Right,
        Qt::Key_Down, Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Pause, Qt::Key_Print, Qt::Key_Menu,
        Qt::Key_Clear, Qt::Key_Help};
    for (int k : kSpecial)
        if (VirtualKeyFromQt(k) == vk)
            return k;
    return 0;
}

} // namespace

int ShortCutToQtKey(TShortCut ShortCut)
{
    const int key = QtKeyOfVirtualKey(WORD(ShortCut & 0xFF));
    if (key == 0)
        return 0;
    int mods = 0;
    if (ShortCut & scShift)
        mods |= Qt::SHIFT;
    if (ShortCut & scCtrl)
        mods |= Qt::CTRL;
    if (ShortCut & scAlt)
        mods |= Qt::ALT;
    if (WORD(ShortCut & 0xFF) >= VK_NUMPAD0 && WORD(ShortCut & 0xFF) <= VK_DIVIDE)
        mods |= Qt::KeypadModifier;
    return key | mods;
}

// ---------------------------------------------------------------------------------------------
// TPopupMenu

TPopupMenu::~TPopupMenu() { SetPopupComponent(nullptr); }

void TPopupMenu::SetPopupComponent(TComponent *Value)
{
    if (Value == popupComponent_)
        return;
    if (popupComponent_)
        RemoveFreeNotification(popupComponent_);
    popupComponent_ = Value;
    if (Value)
        FreeNotification(Value);
}

void TPopupMenu::Notification(TComponent *AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == popupComponent_)
        popupComponent_ = nullptr;
}
