/* A sibling program of the line, in plain C: reads a channel's calibration through libCalib and
 * converts voltages with it.
 *
 * usage: sibling CHANNEL VOLT...
 * Prints "count N", then "point VOLT DATA" per point and "value VOLT RESULT" per voltage, floats
 * as exact hexadecimal, and "threads-agree 1" when four threads that read the table at the same
 * moment as the program's first calls all got the same table. */
#include <calib/Calib.h>

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define THREADS 4

struct reader {
    int channel;
    CalibTable table;
    int32_t result;
};

static void* readTable(void* arg) {
    struct reader* r = (struct reader*)arg;
    r->result = GetCalibArray(r->channel, &r->table);
    return NULL;
}

int main(int argc, char** argv) {
    struct reader readers[THREADS];
    pthread_t threads[THREADS];
    int i;
    int agree = 1;
    if (argc < 2) {
        fprintf(stderr, "usage: sibling CHANNEL VOLT...\n");
        return 2;
    }
    memset(readers, 0, sizeof readers);
    for (i = 0; i < THREADS; ++i) {
        readers[i].channel = atoi(argv[1]);
        if (pthread_create(&threads[i], NULL, readTable, &readers[i]) != 0) {
            return 3;
        }
    }
    for (i = 0; i < THREADS; ++i) {
        pthread_join(threads[i], NULL);
        if (readers[i].result != 1 ||
            memcmp(&readers[i].table, &readers[0].table, sizeof(CalibTable)) != 0) {
            agree = 0;
        }
    }
    printf("threads-agree %d\n", agree);
    printf("count %d\n", (int)readers[0].table.count);
    for (i = 0; i < readers[0].table.count && i < CALIB_MAX_POINTS; ++i) {
        printf("point %a %a\n", (double)readers[0].table.volt[i], (double)readers[0].table.data[i]);
    }
    for (i = 2; i < argc; ++i) {
        const float volt = strtof(argv[i], NULL);
        printf("value %a %a\n", (double)volt, (double)GetTrueDat(volt, readers[0].table));
    }
    return 0;
}
