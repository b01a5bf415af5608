#pragma once
// The desktop's default sound: the bell. Returns at once; safe from any thread.
void PlayDefaultSound();
