#include "Themes.h"

#include "TBXAluminumTheme.h"
#include "TBXOffice2003Theme.h"

void RegisterThemes()
{
    RegisterOffice2003Theme();
    RegisterAluminumTheme();
}
