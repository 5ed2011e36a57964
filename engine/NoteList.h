#pragma once

// Held MIDI notes, most recent first, in fixed storage so that note handling never allocates.
// When full, pushing a new note forgets the oldest one.
class NoteList {
public:
    static constexpr int kCapacity = 256;

    void push_front(int note) {
        if (count == kCapacity) --count;
        for (int i = count; i > 0; --i)
            notes[i] = notes[i - 1];
        notes[0] = note;
        ++count;
    }

    // Removes the first (most recent) occurrence of note; false when it is not held.
    bool remove(int note) {
        for (int i = 0; i < count; ++i) {
            if (notes[i] == note) {
                for (int j = i; j < count - 1; ++j)
                    notes[j] = notes[j + 1];
                --count;
                return true;
            }
        }
        return false;
    }

    void pop_front() {
        if (count > 0) remove(notes[0]);
    }

    int at(int i) const { return notes[i]; }
    int front() const { return notes[0]; }
    int size() const { return count; }
    bool empty() const { return count == 0; }
    void clear() { count = 0; }

private:
    int notes[kCapacity] = {};
    int count = 0;
};
