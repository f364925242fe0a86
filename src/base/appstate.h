#pragma once

#include <QString>

// The running program's values that are kept beside the card but never
// stored in a card file. Each window and routine is handed the values it
// reads; the program owns the one set.
struct AppState {
    double IsfkY = 0;             // unprintable area at the top of the sheet, mm
    double IsfkX = 0;             // unprintable area at the left of the sheet, mm
    int HaikeiFlg = 1;            // the card's picture is shown on the canvas
    quint32 BackColor = 0xFFFFFF; // canvas background colour
    int ImgScale = 1;             // render scale of the card image
    int StartupFlg = 0;
    // Screen metrics: size in twips and twips per pixel.
    int ScrHeight = 0;
    int ScrWidth = 0;
    int TppY = 15;
    int TppX = 15;
    // Folder of the files the program writes (Data00.qcd, Tavor.bmp); see
    // DataFolderPath.
    QString DataFolder;
};

// The folder of the files the program writes, created when missing: the one
// set in the values, or the per-user data folder.
QString DataFolderPath(const AppState& app);
// Where a new card is saved unless the user names another file.
QString DefaultCardPath(const AppState& app);
