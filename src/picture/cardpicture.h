#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

class CardDocument;
class UiServices;
struct AppState;

// (Re)makes the card's picture from the picture settings: converts the
// picture file into the working bitmap, recoloured by the picture settings,
// holds it as the document's converted picture and announces it for the
// canvas. False when the card names a picture that could not be used
// (missing, unreadable, not convertible; the messages were shown): the card
// goes on without it, and the command line tells scripts so by its exit
// status. With the background picture switched off (HaikeiFlg 0) the canvas
// shows no picture and nothing is converted.
bool LoadCardPicture(CardDocument& doc, UiServices& ui, const AppState& app);

// The card's picture for a print or an export, which use it whatever the
// canvas shows: with the background picture switched off, converts it when
// the document holds none made for the card's picture settings. Reports a
// failure as LoadCardPicture does, once for the same settings.
void PrepareCardPicture(CardDocument& doc, UiServices& ui, const AppState& app);

// The working bitmap of this run in the data folder ("Tavor.bmp", or one of
// its own while another run holds that one: WorkBitmapPath); empty when the
// source path has no file name.
QString WorkPicturePath(const AppState& app, const QString& sourcePath);

// Decodes the picture at src, converts it in memory for mode and the three
// values and writes it once as a 24-bit BMP at work. The picture, or nothing
// after reporting the failure.
std::optional<QImage> ConvertPicture(UiServices& ui, const QString& src, const QString& work,
                                     int mode, int red, int green, int blue);

// Reads a picture file, decoded no larger than the card can need (4096
// pixels on its long side). Throws RuntimeError 481 for a file that is not
// a readable picture, 53 for a missing one, 75 for a folder or a FIFO. A
// picture with transparent parts is laid on white, as a background shows it,
// unless keepTransparency (a logo, which lies over the background).
QImage ReadPicture(const QString& path, bool keepTransparency = false);

// Whether a dropped file counts as a picture: its last four characters, in
// lower case, are ".gif", ".jpg", ".bmp", "jpeg", ".dib" or ".tif".
bool IsDroppablePicture(const QString& path);
// The first picture among dropped files, in their order.
std::optional<QString> FirstDroppedPicture(const QStringList& paths);
// Takes the first dropped picture as the card's picture (colour mode reset,
// the card marked changed when the path differs) and loads it. False when
// no dropped file is a picture.
bool DropPictureFiles(CardDocument& doc, UiServices& ui, const AppState& app,
                      const QStringList& paths);
