// The table of the program's resources that FindResourceA and the resource
// loaders read, in place of an executable's resource section.
//
// The program's own resources (icon group, menu, accelerators and About
// dialog) are built in (program_resources.cpp). Binary resources such as the
// JPGDATA pictures are added by the build: lumiscene_embed_resource() in
// platform/CMakeLists.txt generates a source file for the executable that
// calls registerResource before main. A resource nobody added is simply not
// found.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/portable/win32_types.h"

namespace portable {

// Menu: pop-ups in the bar, each with items; a null text is a separator.
struct MenuItemTemplate {
  const char* text;
  WORD id;
};
struct PopupTemplate {
  const char* title;
  const MenuItemTemplate* items;
  size_t count;
};
struct MenuTemplate {
  const PopupTemplate* popups;
  size_t count;
};

// Dialog, in dialog units, with the controls the program's dialogs use. A
// PathText is a framed text that, when too long, keeps its end (a file name).
enum class ControlKind { CentredText, Text, PathText, GroupBox, DefaultButton, Button };
struct DialogControlTemplate {
  ControlKind kind;
  int32_t x, y, width, height;
  DWORD style;
  DWORD exStyle;
  WORD id;
  const char* text;
};
struct DialogTemplate {
  int32_t width, height;
  DWORD style;
  const char* title;
  const char* fontName;
  int32_t pointSize;
  const DialogControlTemplate* controls;
  size_t count;
};

// Icon: square 0xAARRGGBB pixels, top row first.
struct IconTemplate {
  int32_t size;
  const uint32_t* pixels;
};

// Adds a resource; data must stay valid for the life of the process.
// False when a resource of that type and name already exists.
bool registerResource(LPCSTR type, LPCSTR name, const void* data, uint32_t size);

// Raw data of a resource, or null.
const void* findResourceData(LPCSTR type, LPCSTR name, uint32_t* size = nullptr);

// The built-in resources, registered on first use of the table.
void registerProgramResources();

}  // namespace portable
