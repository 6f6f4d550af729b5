#pragma once

#include "editor/edition_policy.h"

// The floating editor's layout: its controls' places, captions and tooltips
// in twips, applied to the shared editor window before its load.
namespace korvalo::standalone {

inline constexpr const char* kInvalidBearingNotice = "The bearing is not formatted correctly.";
inline constexpr const char* kEditorCaption = "Korvalo  Editor";
// The picture's Left when it is a thumbnail.
inline constexpr int kPictureThumbnailLeft = 3870;

const editor::EditionDescriptor& StandaloneEditorLayout();

}  // namespace korvalo::standalone
