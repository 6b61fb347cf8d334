#pragma once

class C_Controller;
class C_HighScores;
class C_Model;
class C_Net;
class C_Settings;

// What a screen works with, handed to it whole when it is built: the model
// that switches screens and keeps the frame timer, the player's settings and
// the score table, the input, and the network a match with another machine
// goes through. The model makes one for the run; a test makes its own, with
// a network and settings of its own.
struct ScreenContext {
    C_Model& model;
    C_Settings& settings;
    C_HighScores& scores;
    C_Controller& input;
    // Null: no network. Only the match screen may be built without one; its
    // match is then against the computer.
    C_Net* net = nullptr;
};
