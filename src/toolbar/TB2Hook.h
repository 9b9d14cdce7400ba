#pragma once
// The framework's shared window hooks: components subscribe a plain function to the codes
// they need (activation, application activation, window position changes, window
// destruction, input taken from the queue); the hook types those codes need run while any
// user counts them. The window-event hub of the platform carries them.
#include "platform/WindowHooks.h"
