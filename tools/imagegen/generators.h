// The image families. Each adds its images to the set under their resource names.
#pragma once

#include "paint.h"

#include <QImage>
#include <vector>

namespace imagegen {

void addButtons(ImageSet& set);  // key, push and title-bar buttons
void addTabs(ImageSet& set);     // function-tab indicators and option buttons with captions
void addPictures(ImageSet& set); // window backgrounds and illustrations
void addIcons(ImageSet& set);    // small input-field and action icons
void addBrand(ImageSet& set);    // logo, about-box picture and floating badge

// The application icon at one of the sizes packed into the Windows icon file.
QImage appIcon(int size);

// Frames of the busy spinner, one full turn, for the animated loading image.
std::vector<QImage> spinnerFrames();

} // namespace imagegen
