#pragma once

#include <QIcon>

// Pictures of the buttons that show no text, drawn here so that they need no image
// files and scale to any size.

QIcon pictureAdd();          // a green plus
QIcon pictureDelete();       // a red cross
QIcon pictureSave();         // a diskette
QIcon pictureShowPassword(); // an eye
QIcon pictureFolder();       // an open folder
