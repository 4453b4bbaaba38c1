// What every fuzz target shares: the game core started once per process on a
// small software device in a private folder, inputs written to files there
// (the readers take file names), and a typist that plays a stage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CSceneGame;

namespace fuzz {

// Starts the game core once: headless backend, manual clock, trace log off, a
// private working folder holding BMP/ (the generated pictures, when they have
// been built) and Data/, the start-up textures registered and a 160 x 120
// software device with a z-buffer handed to the core.
void StartGame();

// Writes the bytes to the file of that name in the working folder (for
// example "Data/scene.txt") and returns the name.
std::string WriteInput(const std::string& name, const uint8_t* data, size_t size);
std::string WriteInput(const std::string& name, const std::string& text);

// Plays the stage from 0 to endMs in steps of stepMs: moves it, lets a typist
// type (the next letter of the locked word, or the initial of a held word,
// with a wrong key, Escape and a byte above 0x7F now and then, chosen from
// `seed`), draws every drawEvery-th step, and aborts when the letter books
// go wrong after any move or key.
void PlayStage(CSceneGame& scene, int endMs, int stepMs, int drawEvery, uint32_t seed);

// Stops the process with the message (a finding for the fuzzer).
[[noreturn]] void Fail(const std::string& what);

}  // namespace fuzz
