#pragma once

// Registers the visual themes beside the built-in "Default"; the program calls it once at
// start-up, before it selects the saved theme. Calling it again changes nothing.
void RegisterThemes();
