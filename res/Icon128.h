#pragma once

#include <QIcon>
#include <QImage>

// Icon 128: a grey monitor showing a black square wave on a white screen,
// standing on a grey desktop case. 32 x 32 pixels, 16 colours plus a
// transparency mask, drawn by code.
QImage Icon128Image();

// The same picture as the window's large and small icon.
QIcon Icon128();
