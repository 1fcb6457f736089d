// The application's random numbers: values 0..32767 from one seedable generator, so
// that every random draw of the game (effects, particles) can be replayed by a test.
//
// Thread-safe: the generator state is guarded by a lock.
#ifndef APP_SERVICES_RANDOM_H
#define APP_SERVICES_RANDOM_H

// The next value, 0..32767.
int app_rand();
// Restarts the generator from a seed (the same seed gives the same values).
void app_srand(unsigned seed);
// Tests: the next `count` calls of app_rand return these values in order (each taken
// modulo 32768, negatives as 0), then the generator resumes. The values are copied;
// a null list or a count of 0 or less cancels a script still pending.
void app_rand_script(const int *values, int count);

#endif
