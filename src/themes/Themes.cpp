#include "Themes.h"

#include "TBXAluminumTheme.h"
#include "TBXNexos3Theme.h"
#include "TBXNexos5Theme.h"
#include "TBXOffice2003Theme.h"
#include "TBXSentimoXTheme.h"

void RegisterThemes()
{
    RegisterOffice2003Theme();
    RegisterAluminumTheme();
    RegisterNexos3Theme();
    RegisterNexos5Theme();
    RegisterSentimoXTheme();
}
