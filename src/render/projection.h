#pragma once

// Sets the viewport and a 50-degree perspective for a window of the given size, then leaves the
// model-view matrix selected. A height of 0 counts as 1.
void setUpProjection(int width, int height);
