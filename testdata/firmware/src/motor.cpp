// Motor driver (Thumb state, C++): a class with data members, a member function defined
// outside the class, an inline one and a static member counting the motors made.
#include "motor.h"

class Motor {
public:
    explicit Motor(int id) : id_(id), position_(0), speed_(1) { ++instances; }
    int step(int delta);
    int position() const { return position_; }
    static int instances;

private:
    unsigned char id_;
    int position_;
    short speed_;
};

int Motor::instances;

int Motor::step(int delta)
{
    int moved = delta * speed_;
    position_ += moved;
    if (position_ > 1000) {
        int over = position_ - 1000;
        position_ -= over;
    }
    return position_ + id_;
}

extern "C" int motor_run(int steps)
{
    Motor motor(3);
    for (int i = 0; i < steps; i++)
        motor.step(i);
    return motor.position() + Motor::instances;
}
