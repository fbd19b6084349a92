# SPDX-License-Identifier: MIT
"""One camera from several threads: streams refused or taken in turn, and
close() from another thread while frames arrive or a stream waits."""
import threading
import time
import unittest

import support
import quelix


def run_together(count, work):
    """Runs work(index) on `count` threads released at once; the threads and
    what each raised (None when it returned)."""
    barrier = threading.Barrier(count)
    raised = [None] * count

    def body(index):
        barrier.wait()
        try:
            work(index)
        except BaseException as error:  # noqa: B902 (reported by the test)
            raised[index] = error

    threads = [threading.Thread(target=body, args=(index,)) for index in range(count)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join(30)
    return threads, raised


class StreamThreadsTest(support.SimulatedCameraTest):
    simulation_options = {"fast": True, "scene": "counter"}

    def assertAllEnded(self, threads):
        self.assertFalse(any(thread.is_alive() for thread in threads), "a thread did not end")

    def test_two_streams_on_one_camera_never_run_together(self):
        self.camera.bits = 16
        guard = threading.Lock()
        inside = {"now": 0, "most": 0}
        trailers = [[], []]

        def stream(index):
            with self.camera.frames(15) as frames:
                with guard:
                    inside["now"] += 1
                    inside["most"] = max(inside["most"], inside["now"])
                try:
                    trailers[index] = [frame.trailer for frame in frames]
                finally:
                    with guard:
                        inside["now"] -= 1

        for round in range(5):
            with self.subTest(round=round):
                threads, raised = run_together(2, stream)
                self.assertAllEnded(threads)
                self.assertEqual(inside["most"], 1)
                self.assertIn(None, raised)
                for error, taken in zip(raised, trailers):
                    if error is None:
                        self.assertEqual(len(set(taken)), 15)
                    else:
                        self.assertIsInstance(error, RuntimeError)
                # Both streams have ended: a snapshot runs.
                self.camera.snapshot()

    def test_one_stream_taken_by_two_threads_gives_each_frame_once(self):
        self.camera.bits = 8
        frames = self.camera.frames(30)
        trailers = [[], []]

        def take(index):
            for frame in frames:
                trailers[index].append(frame.trailer)
                self.camera.exposure_us  # other calls go on meanwhile

        threads, raised = run_together(2, take)
        self.assertAllEnded(threads)
        self.assertEqual(raised, [None, None])
        every = trailers[0] + trailers[1]
        self.assertEqual(len(every), 30)
        self.assertEqual(len(set(every)), 30)


class CloseFromAnotherThreadTest(support.SimulatedCameraTest):
    simulation_options = {"fast": True, "scene": "counter"}

    def stream_in_a_thread(self, frames):
        """Iterates `frames` on a thread of its own; the thread, an event set
        at the first frame, and what the loop raised."""
        first = threading.Event()
        raised = []

        def loop():
            try:
                for frame in frames:
                    int(frame.max())
                    first.set()
            except BaseException as error:  # noqa: B902 (reported by the test)
                raised.append(error)

        thread = threading.Thread(target=loop)
        thread.start()
        return thread, first, raised

    def test_close_while_frames_arrive_ends_the_loop(self):
        for round in range(6):
            with self.subTest(round=round):
                camera = quelix.Camera(0)
                camera.bits = 16
                frames = camera.frames(timeout_s=10)
                thread, first, raised = self.stream_in_a_thread(frames)
                self.assertTrue(first.wait(10))
                time.sleep(0.004 * round)  # a different point of the loop each round
                if round % 2:
                    run_together(2, lambda _: camera.close())
                else:
                    camera.close()
                thread.join(5)
                self.assertFalse(thread.is_alive())
                self.assertEqual(raised, [])
                self.assertTrue(camera.closed)
                self.assertEqual(list(frames), [])
                with self.assertRaises(quelix.ClosedError):
                    camera.bits
                with self.assertRaises(quelix.ClosedError):
                    camera.frames()

    def test_close_while_a_stream_waits_ends_it_at_once(self):
        # No pulses come: the trigger stream waits for one until stopped.
        for close_camera in (False, True):
            with self.subTest(close_camera=close_camera):
                camera = quelix.Camera(0)
                self.addCleanup(camera.close)
                frames = camera.trigger(timeout_s=30)
                thread, _, raised = self.stream_in_a_thread(frames)
                time.sleep(0.2)
                (camera.close if close_camera else frames.close)()
                thread.join(2)
                self.assertFalse(thread.is_alive())
                self.assertEqual(raised, [])
                if not close_camera:
                    # The stream has stopped, the camera is still open.
                    camera.snapshot()


if __name__ == "__main__":
    unittest.main()
