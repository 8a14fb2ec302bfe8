#pragma once

#include <chrono>
#include <functional>

// The bench waits as the program does, through its one wait on the window's thread: the window answers its events
// (drawing, the run's steps, helpers' answers) until what the bench waits for has come.

// Lets the window work while underWay() holds; false when limit passed first.
bool waitWhile(const std::function<bool()>& underWay, std::chrono::milliseconds limit = std::chrono::hours(1));

// Lets the window take in what is waiting for it now (a window just shown draws itself).
void letEventsRun();
