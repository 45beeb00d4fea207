/* The benchmark's measuring hand, small so that what it starts inherits no
   memory figure from it (a child's peak RSS counts what it was forked from).

   measure usage OUT PROGRAM [ARGS...]
       runs PROGRAM with this process's standard streams and writes its CPU
       seconds (user + system) and its peak RSS in KiB to OUT; exits with its
       status.
   measure startup N PROGRAM
       starts PROGRAM N times, with an open pipe for its standard input, and
       prints the median time in milliseconds from the start to "Command> "
       on its standard output. PROGRAM "prompt" starts this one as below.
   measure prompt
       the least a program with a prompt does: prints "Command> " and reads
       its standard input to the end; the peer of the start-up figure. */
#define _GNU_SOURCE
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static int usage(const char *out, char **argv)
{
    pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv);
        perror(argv[0]);
        _exit(127);
    }
    int status = 0;
    struct rusage ru;
    if (pid < 0 || wait4(pid, &status, 0, &ru) != pid)
        return 127;
    FILE *f = fopen(out, "w");
    if (f == NULL)
        return 127;
    fprintf(f, "%.6f %ld\n",
            ru.ru_utime.tv_sec + ru.ru_utime.tv_usec / 1e6 + ru.ru_stime.tv_sec + ru.ru_stime.tv_usec / 1e6,
            ru.ru_maxrss);
    fclose(f);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

static int by_value(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y;
}

static int startup(int runs, const char *program)
{
    double *took = calloc((size_t)runs, sizeof *took);
    for (int i = 0; i < runs; i++) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return 1;
        double start = now();
        pid_t pid = fork();
        if (pid == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            close(in[0]); close(in[1]); close(out[0]); close(out[1]);
            if (strcmp(program, "prompt") == 0)
                execl("/proc/self/exe", "measure", "prompt", (char *)NULL);
            else
                execl(program, program, (char *)NULL);
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        char seen[8192];
        size_t len = 0;
        seen[0] = '\0';
        while (strstr(seen, "Command> ") == NULL && len < sizeof seen - 1) {
            ssize_t n = read(out[0], seen + len, sizeof seen - 1 - len);
            if (n <= 0)
                break;
            len += (size_t)n;
            seen[len] = '\0';
        }
        took[i] = (now() - start) * 1e3;
        close(in[1]);
        close(out[0]);
        waitpid(pid, NULL, 0);
        if (strstr(seen, "Command> ") == NULL) {
            fprintf(stderr, "measure: no prompt from %s\n", program);
            return 1;
        }
    }
    qsort(took, (size_t)runs, sizeof *took, by_value);
    printf("%.3f\n", took[runs / 2]);
    return 0;
}

int main(int argc, char **argv)
{
    signal(SIGPIPE, SIG_IGN);
    if (argc >= 4 && strcmp(argv[1], "usage") == 0)
        return usage(argv[2], argv + 3);
    if (argc == 4 && strcmp(argv[1], "startup") == 0)
        return startup(atoi(argv[2]), argv[3]);
    if (argc == 2 && strcmp(argv[1], "prompt") == 0) {
        char sink[256];
        fputs("Command> ", stdout);
        fflush(stdout);
        while (read(0, sink, sizeof sink) > 0) {
        }
        return 0;
    }
    fprintf(stderr, "usage: measure usage OUT PROGRAM [ARGS...] | measure startup N PROGRAM | measure prompt\n");
    return 2;
}
