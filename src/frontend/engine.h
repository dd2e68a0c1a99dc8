// Start-up of the engine, and the names it goes by.
#pragma once

constexpr const char* ENGINE_NAME = "Tarvo Harrow X64";
constexpr const char* ENGINE_AUTHOR = "the Tarvo developers";
constexpr int MAX_SEARCH_THREADS = 512;

// The one-time start-up; a second call does nothing.
void engine_init();
