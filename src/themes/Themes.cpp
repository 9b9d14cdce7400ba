#include "Themes.h"

#include "TBXOffice2003Theme.h"

void RegisterThemes()
{
    RegisterOffice2003Theme();
}
