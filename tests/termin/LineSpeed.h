#pragma once

// The output speed in bits per second that the terminal fd is set to, also
// for speeds that have no termios constant.
int lineSpeed(int fd);
