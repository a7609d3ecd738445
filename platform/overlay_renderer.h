// Draws Dear ImGui's draw lists with OpenGL 3.3 into the window's default framebuffer,
// leaving every piece of GL state as it found it. Internal to platform/.
#pragma once

struct ImDrawData;

// Draws the data into framebuffer 0 of the current GL context, whose drawable is
// drawableWidth x drawableHeight pixels. The first draw in a context (and the first after
// forgetOverlayGraphics) builds the shader, buffers and font texture there.
void renderOverlay(ImDrawData* drawData, int drawableWidth, int drawableHeight);

// Draws the data through an SDL renderer (its own font texture is made for each renderer).
void renderOverlayOnRenderer(ImDrawData* drawData, struct SDL_Renderer* renderer);

// Forgets the GL objects of the previous context without touching them (that context and its
// objects are gone with the device that made them).
void forgetOverlayGraphics();
