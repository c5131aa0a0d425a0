#pragma once

// A stand-in for Linux: the backend includes the power-source keys' header but spells out the keys
// it reads itself, so nothing is declared here.
