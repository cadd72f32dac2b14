// The one value of pi for the content generators and their checks.
#pragma once

constexpr double kPi = 3.14159265358979323846;
