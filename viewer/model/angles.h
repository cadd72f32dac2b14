// Pi for every angle of the viewer and of the content that builds its body and views; degrees
// become radians as degrees * kPi / 180.
#pragma once

constexpr double kPi = 3.14159265358979323846;
