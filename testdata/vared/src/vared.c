/* The functions and global variables that the VarEd statements of the samples name. */
int motor_speed = 10;
int motor_limit = 200;
short pump_level;
short pump_limit = 50;
int fan_step = 5;

void motor_task(void)
{
    if (motor_speed < motor_limit)
        motor_speed += fan_step;
}

void pump_task(void)
{
    if (pump_level < pump_limit)
        pump_level++;
}

void fan_task(void)
{
    motor_speed -= fan_step;
}

void _start(void)
{
    for (;;) {
        motor_task();
        pump_task();
        fan_task();
    }
}
