// Message boxes: a modal box with a caption, a text, an OK button and an error or warning icon.
// Tests install a recorder in place of the real box, so nothing ever waits for a person.
#pragma once

enum class MessageBoxIcon { Error, Warning };

using MessageBoxFunction = void (*)(const char* caption, const char* text, MessageBoxIcon icon);

// Shows the box through the installed function and returns once it is closed.
void showMessageBox(const char* caption, const char* text, MessageBoxIcon icon);

// Replaces the box (nullptr puts the real SDL box back); returns the function in force before.
MessageBoxFunction setMessageBoxFunction(MessageBoxFunction function);
