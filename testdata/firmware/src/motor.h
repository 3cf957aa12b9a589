/* The C side of the C++ motor driver. */
#ifndef MOTOR_H
#define MOTOR_H

#ifdef __cplusplus
extern "C" {
#endif
int motor_run(int steps);
#ifdef __cplusplus
}
#endif

#endif
