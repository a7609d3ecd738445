// File names as the game spells them ("Sound\action.wav") turned into paths of this system.
#pragma once

#include <string>
#include <string_view>

std::string gameFilePath(std::string_view fileName);
